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
// The next free name after a numbered one that free_name gave and another
// program took meanwhile: name(N).ext becomes the first free name(M).ext of
// the same name, not name(N)(1).ext.
bool next_free_name(std::string *numbered);

}  // namespace quill

#endif
