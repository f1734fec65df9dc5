// The selection: file_get takes the chosen items one by one and expands
// folders into their trees, keeping a list of files and a list of folders
// relative to the folder that holds the first item.
//
// The walk runs in four exported steps over shared state: foldersakusei sets
// the first item's folder, foldersyori adds the item at a_filepath,
// filesyori enumerates the folder a_dir at level depth, and filesyori2 adds
// the entry found last (findfile). The walk takes every regular file and
// folder, hidden ones and names beginning with a full stop included; only
// the entries for a folder itself and its parent are passed over. A link
// met inside a chosen folder is never walked through, so the walk never
// leaves the chosen tree and never runs round in a loop: a link to a
// regular file inside the chosen folder is taken as that file (the user sees
// a file there, and a recipient on Windows could not make the link), every
// other link is left out (one to a folder, one that leads out of the chosen
// folder, which may hold what the user never meant to send, a broken one).
// A chosen item that is itself a link is taken as what it points to,
// because the user named it. FIFOs, sockets and devices inside a folder are
// left out too.
//
// What the walk cannot take as it is (a folder it cannot list, a file it
// cannot read, a name without an exact native form, a path too long or too
// deep) it notes as a problem and goes on, so that one message can name
// every one of them before an archive is made. What it leaves out or takes
// in another form it notes as a notice, which does not stop an encryption
// but is named before the archive is made.
#include "drivers/selection.h"

#include <algorithm>
#include <new>

#include "escaped.h"
#include "messages.h"
#include "paths.h"
#include "platform/platform.h"
#include "quillcore.h"
#include "report.h"

namespace {

using quill::Problem;
using quill::selection;
namespace plat = quill::plat;

// One open folder search per level; level 0 is the chosen item itself, so a
// chosen folder's contents lie at level 1 and the deepest folder enumerated
// lies at level kLevels - 1.
constexpr int32_t kLevels = 52;

// The walk's state, in the selection of the running call.
quill::Selection::Walk &walk() {
    return quill::selection().walk;
}

bool fits(const std::string &path) {
    return path.size() < plat::kPathMax;
}

void note(Problem::Kind kind, const std::string &path, plat::Failure why = plat::kFailUnknown,
          const char *detail = "") {
    selection().problems.push_back({kind, path, why, detail});
}

void notice(Problem::Kind kind, const std::string &path) {
    selection().notices.push_back({kind, path, plat::kFailUnknown});
}

// The folder a_dir, without its separator.
std::string walked_folder() {
    return walk().a_dir.substr(0, walk().a_dir.size() - 1);
}

std::string relative(const std::string &full) {
    return full.substr(selection().a_folder.size());
}

// A file is listed even when it cannot be read: a decryption of it as an
// archive reports its own failure. found_in: the listing of its folder that
// found it, when there is one.
void add_file(const std::string &path, const plat::DirSearch *found_in = nullptr) {
    selection().files.push_back(relative(path));
    walk().filesuu++;
    if (!plat::readable(path.c_str(), found_in))
        note(Problem::kUnreadableFile, path, plat::last_failure());
}

// The link at a_filepath, found by found_in: a link to a regular file inside
// the chosen folder is listed as that file, any other is left out.
void add_link(const plat::DirSearch *found_in) {
    switch (plat::link_end(walk().a_filepath.c_str(), walk().a_root.c_str())) {
        case plat::kLinkFileInside:
            if (!walk().findfile.exact) {
                note(Problem::kNameNotHeld, walk().a_filepath, plat::kFailUnknown,
                     walk().findfile.unheld);
                return;
            }
            selection().linked.push_back(relative(walk().a_filepath));
            walk().filesuu++;
            if (!plat::readable(walk().a_filepath.c_str(), found_in))
                note(Problem::kUnreadableFile, walk().a_filepath, plat::last_failure());
            return notice(Problem::kLinkFollowed, walk().a_filepath);
        case plat::kLinkFolder:
            return notice(Problem::kLinkToFolder, walk().a_filepath);
        case plat::kLinkOutside:
            return notice(Problem::kLinkOutside, walk().a_filepath);
        case plat::kLinkNowhere:
            return notice(Problem::kLinkNowhere, walk().a_filepath);
        case plat::kLinkOther:
            return notice(Problem::kNotFileOrFolder, walk().a_filepath);
        case plat::kLinkUnfollowed:
            break;
    }
    notice(Problem::kLinkUnfollowed, walk().a_filepath);
}

void enumerate();

// The entry in findfile, found in a_dir (by found_in, when given).
void add_entry(const plat::DirSearch *found_in = nullptr) {
    walk().a_filepath = walk().a_dir + walk().findfile.name;
    // What an archive leaves out needs no name of its own.
    if (walk().findfile.kind == plat::kEntryOther)
        return notice(Problem::kNotFileOrFolder, walk().a_filepath);
    if (!fits(walk().a_filepath)) {
        note(Problem::kTooLong, walk().a_filepath);
        return;
    }
    if (walk().findfile.kind == plat::kEntryLink) return add_link(found_in);
    if (!walk().findfile.exact) {
        note(Problem::kNameNotHeld, walk().a_filepath, plat::kFailUnknown, walk().findfile.unheld);
        return;
    }
    if (walk().findfile.kind == plat::kEntryFile) {
        add_file(walk().a_filepath, found_in);
    } else if (walk().findfile.kind == plat::kEntryFolder) {
        selection().folders.push_back(relative(walk().a_filepath));
        walk().a_dir = walk().a_filepath + plat::kSep;
        walk().depth++;
        enumerate();
        walk().depth--;
        // Back to the parent: cut after the separator in front of the last
        // component (the scan steps over double-byte characters).
        walk().a_dir.resize(quill::name_start(walked_folder()));
    }
}

// Lists the folder a_dir at level depth, depth first: a folder is listed
// before its contents.
void enumerate() {
    if (walk().depth >= kLevels) {
        note(Problem::kTooDeep, walked_folder());
        return;
    }
    // The search pattern on Windows adds one byte ("*") to the folder.
    if (!fits(walk().a_dir + "*")) {
        note(Problem::kTooLong, walked_folder());
        return;
    }
    plat::DirSearch *search = plat::dir_open(walk().a_dir.c_str());
    if (!search) {
        note(Problem::kUnreadableFolder, walked_folder(), plat::last_failure());
        return;
    }
    while (plat::dir_next(search, &walk().findfile)) {
        const char *name = walk().findfile.name;
        // The entries for the folder itself and its parent.
        if (name[0] == '\0' ||
            (name[0] == '.' && (name[1] == '\0' || std::strcmp(name, "..") == 0)))
            continue;
        add_entry(search);
    }
    if (plat::dir_failed(search))
        note(Problem::kUnreadableFolder, walked_folder(), plat::last_failure());
    plat::dir_close(search);
}

// The chosen item at a_filepath: a file, or a folder with its whole tree.
void add_item() {
    walk().depth = 0;
    const std::string &base = selection().a_folder;
    // Relative names are the path with the first item's folder cut off; an
    // item elsewhere has no such name.
    if (walk().a_filepath.compare(0, base.size(), base) != 0 ||
        walk().a_filepath.size() == base.size()) {
        note(Problem::kElsewhere, walk().a_filepath);
        return;
    }
    if (!fits(walk().a_filepath)) {
        note(Problem::kTooLong, walk().a_filepath);
        return;
    }
    const uint32_t attrs = plat::attributes(walk().a_filepath.c_str());
    if (attrs == plat::kNoAttributes) return;  // missing: contributes nothing
    if (!(attrs & plat::kAttrDirectory)) {
        add_file(walk().a_filepath);
        return;
    }
    selection().folders.push_back(relative(walk().a_filepath));
    walk().a_root = walk().a_filepath;
    walk().a_dir = walk().a_filepath + plat::kSep;
    walk().depth = 1;
    enumerate();
}

// Runs one step of the walk; a step that runs out of memory marks the
// selection as incomplete without needing any.
template <typename Step>
void guarded(Step step) {
    try {
        step();
    } catch (const std::bad_alloc &) {
        selection().incomplete.set(walk().a_dir.c_str());
    }
}

// A path as a line of the problems' box: relative to the first item's
// folder, and escaped, so that each name keeps to its line.
std::string shown(const std::string &path) {
    const std::string &base = selection().a_folder;
    const bool inside = path.compare(0, base.size(), base) == 0 && path.size() > base.size();
    return escaped(inside ? path.substr(base.size()) : path);
}

const char *reason_text(Problem::Kind kind) {
    namespace msg = quill::msg;
    switch (kind) {
        case Problem::kUnreadableFolder:
        case Problem::kUnreadableFile:
            return msg::kItemUnreadable;
        case Problem::kNameNotHeld:
            return msg::kItemNameNotHeld;
        case Problem::kNameShared:
            return msg::kItemNameShared;
        case Problem::kTooLong:
            return msg::kItemTooLong;
        case Problem::kTooDeep:
            return msg::kItemTooDeep;
        case Problem::kElsewhere:
            return msg::kItemElsewhere;
        case Problem::kLinkFollowed:
            return msg::kItemLinkFollowed;
        case Problem::kLinkToFolder:
            return msg::kItemLinkToFolder;
        case Problem::kLinkOutside:
            return msg::kItemLinkOutside;
        case Problem::kLinkNowhere:
            return msg::kItemLinkNowhere;
        case Problem::kLinkUnfollowed:
            return msg::kItemLinkUnfollowed;
        case Problem::kNotFileOrFolder:
            return msg::kItemNotFileOrFolder;
        case Problem::kRespelled:
            break;
    }
    return msg::kItemRespelled;
}

// A line's reason: the text, the system's cause of an unreadable item, and
// the characters concerned.
std::string reason(const Problem &p) {
    std::string text = reason_text(p.kind);
    if (p.kind == Problem::kUnreadableFolder || p.kind == Problem::kUnreadableFile) {
        if (const char *cause = quill::cause_text(p.why)) text += std::string("。") + cause;
    }
    if (!p.detail.empty()) text += " (" + escaped(p.detail) + ")";
    return text;
}

// The box's text: header first, then one line for each item in the order of
// the paths, so that the names of one folder stand together.
// One line a problem, sorted by path.
std::string listing(std::vector<const Problem *> items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const Problem *a, const Problem *b) { return a->path < b->path; });
    std::string text;
    for (const Problem *p : items)
        text += (text.empty() ? "" : "\n") + shown(p->path) + ": " + reason(*p);
    return text;
}

}  // namespace

namespace quill {

bool full_path(const std::string &relative, std::string *out) {
    *out = selection().a_folder + relative;
    return out->size() < plat::kPathMax;
}

bool report_problems(const Message &header, bool files_too, const std::vector<Problem> &more) {
    std::vector<const Problem *> shown_ones;
    const auto take = [&](const std::vector<Problem> &list) {
        for (const Problem &p : list)
            if (files_too || p.kind != Problem::kUnreadableFile) shown_ones.push_back(&p);
    };
    take(selection().problems);
    take(more);
    if (shown_ones.empty() && selection().incomplete.empty()) return false;
    std::string lines = listing(shown_ones);
    if (!selection().incomplete.empty())
        lines += (lines.empty() ? "" : "\n") + shown(selection().incomplete.c_str()) + ": " +
                 msg::kItemsIncomplete;
    fail(selection().first_item, header, plat::kFailUnknown, lines);
    return true;
}

void report_notices(const Message &header, const std::vector<Problem> &more) {
    std::vector<const Problem *> items;
    for (const Problem &p : selection().notices) items.push_back(&p);
    for (const Problem &p : more) items.push_back(&p);
    if (!items.empty()) note(selection().first_item, header, listing(items));
}

}  // namespace quill

void foldersakusei(void) {
    guarded([] {
        selection().a_folder = walk().a_filepath.substr(0, quill::name_start(walk().a_filepath));
    });
}

void foldersyori(void) {
    guarded(add_item);
}

void filesyori(void) {
    guarded(enumerate);
}

void filesyori2(void) {
    guarded([] { add_entry(); });
}

int32_t file_get(int32_t index, const char *path) {
    if (index != 0 && !selection().made) return 0;
    try {
        std::string item = path ? path : "";
        // "photos/" names the same folder as "photos".
        while (item.size() > 1 && item.back() != ':' && plat::is_separator(item.back()))
            item.pop_back();
        // A new selection starts with a new walk.
        if (index == 0) {
            selection() = quill::Selection{};
            selection().made = true;
            selection().first_item = item;
        }
        walk().a_filepath = item;
        if (index == 0) foldersakusei();
    } catch (const std::bad_alloc &) {
        selection().incomplete.set(path ? path : "");
        return walk().filesuu;
    }
    foldersyori();
    return walk().filesuu;
}
