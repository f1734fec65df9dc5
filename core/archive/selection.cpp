// The selection: file_get takes the chosen items one by one and expands
// folders into their trees, keeping a list of files and a list of folders
// relative to the folder that holds the first item.
#include "archive/selection.h"

#include "archive/paths.h"

#include <new>

#include "platform/platform.h"
#include "quillcore.h"

namespace {

using quill::selection;
namespace plat = quill::plat;

// One open folder search per level; level 0 is the chosen item itself, so a
// chosen folder's contents lie at level 1 and the deepest folder enumerated
// lies at level kLevels - 1.
constexpr int kLevels = 52;

bool fits(const std::string &path) {
    return path.size() < plat::kPathMax;
}

void fail_walk(const std::string &where) {
    if (selection.walk_failure.empty()) selection.walk_failure = where;
}

std::string relative(const std::string &full) {
    return full.substr(selection.a_folder.size());
}

// Lists the folder dir (ending in the separator) at the given level, depth
// first: a folder is listed before its contents.
int walk(const std::string &dir, int level) {
    if (level >= kLevels) {
        fail_walk(dir);
        return 0;
    }
    // The search pattern on Windows adds one byte ("*") to the folder.
    if (!fits(dir + "*")) {
        fail_walk(dir);
        return 0;
    }
    plat::DirSearch *search = plat::dir_open(dir.c_str());
    if (!search) return 0;  // unreadable: contributes nothing
    int files = 0;
    plat::DirEntry entry;
    while (plat::dir_next(search, &entry)) {
        // Skips the entries for the folder itself and its parent, and every
        // other name that begins with a full stop.
        if (entry.name[0] == '.' || entry.name[0] == '\0') continue;
        const std::string path = dir + entry.name;
        if (!fits(path)) {
            fail_walk(path);
            continue;
        }
        if (entry.is_dir) {
            selection.folders.push_back(relative(path));
            files += walk(path + plat::kSep, level + 1);
        } else {
            selection.files.push_back(relative(path));
            files++;
        }
    }
    plat::dir_close(search);
    return files;
}

// Adds one chosen item: a file, or a folder with its whole tree.
int add_item(const std::string &path) {
    const std::string &base = selection.a_folder;
    // Relative names are the path with the first item's folder cut off; an
    // item elsewhere has no such name.
    if (path.compare(0, base.size(), base) != 0 || path.size() == base.size()) {
        fail_walk(path);
        return 0;
    }
    if (!fits(path)) {
        fail_walk(path);
        return 0;
    }
    const uint32_t attrs = plat::attributes(path.c_str());
    if (attrs == plat::kNoAttributes) return 0;  // missing: contributes nothing
    if (!(attrs & plat::kAttrDirectory)) {
        selection.files.push_back(relative(path));
        return 1;
    }
    selection.folders.push_back(relative(path));
    return walk(path + plat::kSep, 1);
}

int32_t file_count = 0;

}  // namespace

namespace quill {

Selection selection;

bool full_path(const std::string &relative, std::string *out) {
    *out = selection.a_folder + relative;
    return out->size() < plat::kPathMax;
}

}  // namespace quill

int32_t file_get(int32_t index, const char *path) {
    try {
        std::string item = path ? path : "";
        // "photos/" names the same folder as "photos".
        while (item.size() > 1 && item.back() != ':' && quill::is_path_separator(item.back()))
            item.pop_back();
        if (index == 0) {
            selection = quill::Selection{};
            selection.made = true;
            selection.a_folder = item.substr(0, quill::name_start(item));
            selection.first_item = item;
            file_count = 0;
        } else if (!selection.made) {
            return 0;
        }
        file_count += add_item(item);
        return file_count;
    } catch (const std::bad_alloc &) {
        selection.walk_failure = path ? path : "";
        return file_count;
    }
}
