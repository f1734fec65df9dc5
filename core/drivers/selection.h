// The library's one selection: what file_get collected for the drivers.
#ifndef QUILL_SELECTION_H
#define QUILL_SELECTION_H

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "report.h"

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
        // Problems: encrypting fails when there is any.
        kUnreadableFolder,  // its contents could not be listed
        kUnreadableFile,    // it cannot be opened for reading (it is listed all the same)
        kNameNotHeld,       // an archive entry cannot hold its name
        kNameShared,        // its entry name is another item's too
        kTooLong,           // its path is longer than a path buffer or an entry name
        kTooDeep,           // deeper than the walk goes
        kElsewhere,         // not in the first item's folder
        // Notices: the archive is made without it, or holds it in another form.
        kLinkFollowed,     // a link to a file in the chosen folder: held as that file
        kLinkToFolder,     // a link to a folder: left out
        kLinkOutside,      // a link that leads out of the chosen folder: left out
        kLinkNowhere,      // a broken link: left out
        kLinkUnfollowed,   // a link or junction on Windows: left out
        kNotFileOrFolder,  // a FIFO, socket or device, or a link to one: left out
        kRespelled,        // its name comes back in another spelling
    };
    Kind kind;
    std::string path;      // full native path
    plat::Failure why;     // the unreadable ones: what the system said
    std::string detail{};  // the characters concerned (characters.h)
};

struct Selection {
    bool made = false;                 // file_get with index 0 was called
    std::vector<std::string> files;    // relative native paths, walk order
    std::vector<std::string> folders;  // relative native paths, walk order
    std::string a_folder;              // folder of the first item, separator included
    std::string first_item;            // the first item's full path
    // Links inside a chosen folder to a regular file in that folder's tree,
    // relative: an archive holds each as the file it leads to. They are
    // counted as files; decrypting passes them over, as the files they lead
    // to are selected already.
    std::vector<std::string> linked;
    // Every problem the walk met, in walk order. Encrypting fails when there
    // is any, rather than leave something out of the archive.
    std::vector<Problem> problems;
    // What the walk leaves out or takes in another form (links, FIFOs,
    // devices), in walk order: named before an archive is made, which goes
    // on without them.
    std::vector<Problem> notices;
    // Set when memory ran out during the walk: where it stopped.
    PathText incomplete;
    // The walk's state between its exported steps.
    struct Walk {
        std::string a_filepath;   // the item or entry being added, full path
        std::string a_dir;        // the folder being enumerated, separator included
        std::string a_root;       // the chosen folder being walked, no separator
        int32_t depth = 0;        // its level
        plat::DirEntry findfile;  // the entry enumerated last
        int32_t filesuu = 0;      // files selected so far
    } walk;
};

// The selection of the calls on this thread (context.h).
Selection &selection();

// a_folder followed by a relative path, or false when it would not fit a
// path buffer of the platform.
bool full_path(const std::string &relative, std::string *out);

// Shows the selection's problems (and those in more) in one box captioned
// with the first item, header first and one line for each; unreadable
// files only when files_too (a decryption meets them at the archive that
// cannot be opened). True when there was anything to show.
bool report_problems(const Message &header, bool files_too,
                     const std::vector<Problem> &more = std::vector<Problem>());

// Shows the selection's notices and those in more in one box captioned with
// the first item, header first and one line for each; nothing when there
// are none. The caller goes on.
void report_notices(const Message &header, const std::vector<Problem> &more);

}  // namespace quill

#endif
