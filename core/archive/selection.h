// The library's one selection: what file_get collected for the drivers.
#ifndef QUILL_SELECTION_H
#define QUILL_SELECTION_H

#include <string>
#include <vector>

#include "platform/platform.h"

namespace quill {

struct Selection {
    bool made = false;                 // file_get with index 0 was called
    std::vector<std::string> files;    // relative native paths, walk order
    std::vector<std::string> folders;  // relative native paths, walk order
    std::string a_folder;              // folder of the first item, separator included
    std::string first_item;            // the first item's full path
    // Set when the walk could not list everything it was given (a tree deeper
    // than the walk goes, or a path longer than a path buffer): the folder or
    // path concerned. Encrypting such a selection fails rather than leave
    // files out of the archive.
    std::string walk_failure;
};

extern Selection selection;

// a_folder followed by a relative path, or false when it would not fit a
// path buffer of the platform.
bool full_path(const std::string &relative, std::string *out);

}  // namespace quill

#endif
