// The library's one selection: what file_get collected for the drivers.
#ifndef QUILL_SELECTION_H
#define QUILL_SELECTION_H

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace quill {

// A path in a fixed buffer, so that recording it needs no memory: it is set
// on the way out of a failed allocation too. A longer path is cut at the
// buffer's end (it only names the place of a failure).
struct PathText {
    char text[plat::kPathMax] = {};
    bool empty() const { return text[0] == '\0'; }
    const char *c_str() const { return text; }
    void set(const char *path) {
        size_t n = 0;
        while (path[n] && n + 1 < sizeof text) n++;
        std::memcpy(text, path, n);
        text[n] = '\0';
    }
    bool operator==(const std::string &s) const { return s == text; }
};

struct Selection {
    bool made = false;                 // file_get with index 0 was called
    std::vector<std::string> files;    // relative native paths, walk order
    std::vector<std::string> folders;  // relative native paths, walk order
    std::string a_folder;              // folder of the first item, separator included
    std::string first_item;            // the first item's full path
    // Set when the walk could not list everything it was given (a tree deeper
    // than the walk goes, a path longer than a path buffer, no memory): the
    // folder or path concerned. Encrypting such a selection fails rather than
    // leave files out of the archive.
    PathText walk_failure;
};

extern Selection selection;

// a_folder followed by a relative path, or false when it would not fit a
// path buffer of the platform.
bool full_path(const std::string &relative, std::string *out);

}  // namespace quill

#endif
