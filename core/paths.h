// Scans over native paths that step over double-byte characters as units, so
// that a trail byte 0x5C is never taken for a separator.
#ifndef QUILL_PATHS_H
#define QUILL_PATHS_H

#include <string>

#include "platform/platform.h"

namespace quill {

// Where the path's last component starts: just after its last separator.
inline size_t name_start(const std::string &path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i++) {
        if (plat::is_lead_byte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            i++;
            continue;
        }
        if (plat::is_separator(path[i])) start = i + 1;
    }
    return start;
}

// The folder of the path, its separator included; empty for a bare name.
inline std::string folder_part(const std::string &path) {
    return path.substr(0, name_start(path));
}

// Where the extension of the path's last component starts (its last "."),
// or the path's length when it has none.
inline size_t extension_start(const std::string &path) {
    const size_t start = name_start(path);
    const size_t dot = path.rfind('.');
    // No lead byte is ever a ".", so the last "." found bytewise is a real one.
    return dot == std::string::npos || dot < start ? path.size() : dot;
}

}  // namespace quill

#endif
