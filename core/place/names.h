// Output names that exist already: the first free numbered name(N).ext.
#ifndef QUILL_NAMES_H
#define QUILL_NAMES_H

#include <functional>
#include <string>

namespace quill {

// Replaces path (a full native path) by the first name(N).ext, N = 1, 2, 3,
// ..., of which nothing exists, neither file nor folder, and which taken,
// when given, does not refuse. False when no such name fits a path buffer;
// path is then unchanged.
bool free_name(std::string *path, const std::function<bool(const std::string &)> &taken = nullptr);

}  // namespace quill

#endif
