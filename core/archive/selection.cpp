// The selection: file_get takes the chosen items one by one and expands
// folders into their trees, keeping a list of files and a list of folders
// relative to the folder that holds the first item.
//
// The walk runs in four exported steps over shared state: foldersakusei sets
// the first item's folder, foldersyori adds the item at a_filepath,
// filesyori enumerates the folder a_dir at level depth, and filesyori2 adds
// the entry found last (findfile). The walk takes regular files and folders
// only. A link met inside a chosen folder is left out, whatever it points
// to, so the walk never leaves the chosen tree, never runs round in a loop,
// and one link never fails a whole encryption; a chosen item that is itself
// a link is taken as what it points to, because the user named it. FIFOs,
// sockets and devices inside a folder are left out too.
#include "archive/selection.h"

#include <new>

#include "archive/paths.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace {

using quill::selection;
namespace plat = quill::plat;

// One open folder search per level; level 0 is the chosen item itself, so a
// chosen folder's contents lie at level 1 and the deepest folder enumerated
// lies at level kLevels - 1.
constexpr int32_t kLevels = 52;

// The walk's shared state.
std::string a_filepath;   // the item or entry being added, full path
std::string a_dir;        // the folder being enumerated, separator included
int32_t depth = 0;        // its level
plat::DirEntry findfile;  // the entry enumerated last
int32_t filesuu = 0;      // files selected so far

bool fits(const std::string &path) {
    return path.size() < plat::kPathMax;
}

void fail_walk(const std::string &where) {
    if (selection.walk_failure.empty()) selection.walk_failure.set(where.c_str());
}

std::string relative(const std::string &full) {
    return full.substr(selection.a_folder.size());
}

void enumerate();

// The entry in findfile, found in a_dir.
void add_entry() {
    a_filepath = a_dir + findfile.name;
    if (!fits(a_filepath)) {
        fail_walk(a_filepath);
        return;
    }
    if (findfile.kind == plat::kEntryFile) {
        selection.files.push_back(relative(a_filepath));
        filesuu++;
    } else if (findfile.kind == plat::kEntryFolder) {
        selection.folders.push_back(relative(a_filepath));
        a_dir = a_filepath + plat::kSep;
        depth++;
        enumerate();
        depth--;
        // Back to the parent: cut after the separator in front of the last
        // component (the scan steps over double-byte characters).
        a_dir.resize(quill::name_start(a_dir.substr(0, a_dir.size() - 1)));
    }
}

// Lists the folder a_dir at level depth, depth first: a folder is listed
// before its contents.
void enumerate() {
    // The search pattern on Windows adds one byte ("*") to the folder.
    if (depth >= kLevels || !fits(a_dir + "*")) {
        fail_walk(a_dir);
        return;
    }
    plat::DirSearch *search = plat::dir_open(a_dir.c_str());
    if (!search) return;  // unreadable: contributes nothing
    while (plat::dir_next(search, &findfile)) {
        // Skips the entries for the folder itself and its parent, and every
        // other name that begins with a full stop.
        if (findfile.name[0] == '.' || findfile.name[0] == '\0') continue;
        add_entry();
    }
    plat::dir_close(search);
}

// The chosen item at a_filepath: a file, or a folder with its whole tree.
void add_item() {
    depth = 0;
    const std::string &base = selection.a_folder;
    // Relative names are the path with the first item's folder cut off; an
    // item elsewhere has no such name.
    if (a_filepath.compare(0, base.size(), base) != 0 || a_filepath.size() == base.size() ||
        !fits(a_filepath)) {
        fail_walk(a_filepath);
        return;
    }
    const uint32_t attrs = plat::attributes(a_filepath.c_str());
    if (attrs == plat::kNoAttributes) return;  // missing: contributes nothing
    if (!(attrs & plat::kAttrDirectory)) {
        selection.files.push_back(relative(a_filepath));
        filesuu++;
        return;
    }
    selection.folders.push_back(relative(a_filepath));
    a_dir = a_filepath + plat::kSep;
    depth = 1;
    enumerate();
}

// Runs one step of the walk; a step that runs out of memory marks the
// selection as incomplete without needing any.
template <typename Step>
void guarded(Step step) {
    try {
        step();
    } catch (const std::bad_alloc &) {
        selection.walk_failure.set(a_dir.c_str());
    }
}

}  // namespace

namespace quill {

Selection selection;

bool full_path(const std::string &relative, std::string *out) {
    *out = selection.a_folder + relative;
    return out->size() < plat::kPathMax;
}

}  // namespace quill

void foldersakusei(void) {
    guarded([] { selection.a_folder = a_filepath.substr(0, quill::name_start(a_filepath)); });
}

void foldersyori(void) {
    guarded(add_item);
}

void filesyori(void) {
    guarded(enumerate);
}

void filesyori2(void) {
    guarded(add_entry);
}

int32_t file_get(int32_t index, const char *path) {
    if (index != 0 && !selection.made) return 0;
    try {
        a_filepath = path ? path : "";
        // "photos/" names the same folder as "photos".
        while (a_filepath.size() > 1 && a_filepath.back() != ':' &&
               plat::is_separator(a_filepath.back()))
            a_filepath.pop_back();
        if (index == 0) {
            selection = quill::Selection{};
            selection.made = true;
            selection.first_item = a_filepath;
            filesuu = 0;
            foldersakusei();
        }
    } catch (const std::bad_alloc &) {
        selection.walk_failure.set(path ? path : "");
        return filesuu;
    }
    foldersyori();
    return filesuu;
}
