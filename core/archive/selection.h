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

// Something of the chosen items that an archive would not hold as it is.
struct Problem {
    enum Kind {
        kUnreadableFolder,  // its contents could not be listed
        kUnreadableFile,    // it cannot be opened for reading (it is listed all the same)
        kNameNotHeld,       // an archive entry cannot hold its name
        kTooLong,           // its path is longer than a path buffer or an entry name
        kTooDeep,           // deeper than the walk goes
        kElsewhere,         // not in the first item's folder
    };
    Kind kind;
    std::string path;   // full native path
    plat::Failure why;  // the unreadable ones: what the system said
};

struct Selection {
    bool made = false;                 // file_get with index 0 was called
    std::vector<std::string> files;    // relative native paths, walk order
    std::vector<std::string> folders;  // relative native paths, walk order
    std::string a_folder;              // folder of the first item, separator included
    std::string first_item;            // the first item's full path
    // Every problem the walk met, in walk order. Encrypting fails when there
    // is any, rather than leave something out of the archive.
    std::vector<Problem> problems;
    // Set when memory ran out during the walk: where it stopped.
    PathText incomplete;
};

extern Selection selection;

// a_folder followed by a relative path, or false when it would not fit a
// path buffer of the platform.
bool full_path(const std::string &relative, std::string *out);

// Shows the selection's problems (and those in more) in one box captioned
// with the first item, header first and one line for each; unreadable
// files only when files_too (a decryption meets them at the archive that
// cannot be opened). True when there was anything to show.
bool report_problems(const char *header, bool files_too,
                     const std::vector<Problem> &more = std::vector<Problem>());

}  // namespace quill

#endif
