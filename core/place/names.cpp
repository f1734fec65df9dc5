// Output names: the archive's name from the first chosen item, and the
// question about an output name that exists already, with the first free
// numbered name name(N).ext when the user wants another name.
#include "place/names.h"

#include <cstring>
#include <string>

#include "guarded.h"
#include "messages.h"
#include "paths.h"
#include "platform/platform.h"
#include "quillcore.h"
#include "report.h"

namespace plat = quill::plat;

bool quill::free_name(std::string *path, const std::function<bool(const std::string &)> &taken) {
    const size_t ext = extension_start(*path);
    const std::string base = path->substr(0, ext), extension = path->substr(ext);
    for (unsigned long n = 1;; n++) {
        std::string candidate = base + "(" + std::to_string(n) + ")" + extension;
        // Every later candidate is at least as long: no free name fits.
        if (candidate.size() >= plat::kPathMax) return false;
        if (!plat::exists(candidate.c_str()) && !(taken && taken(candidate))) {
            *path = std::move(candidate);
            return true;
        }
    }
}

bool quill::next_free_name(std::string *numbered) {
    const size_t ext = extension_start(*numbered);
    size_t open = numbered->rfind('(', ext);
    const bool counted = ext > 0 && (*numbered)[ext - 1] == ')' && open != std::string::npos &&
                         open + 2 < ext &&
                         numbered->find_first_not_of("0123456789", open + 1) == ext - 1;
    std::string name = counted ? numbered->substr(0, open) + numbered->substr(ext) : *numbered;
    if (!free_name(&name)) return false;
    *numbered = name;
    return true;
}

int32_t filenamesyori(char *path) {
    return quill::guarded(-1, [&]() -> int32_t {
        uint32_t attrs = plat::attributes(path);
        if (attrs == plat::kNoAttributes) {
            if (!plat::exists(path)) return 0;
            attrs = 0;  // a link that leads nowhere: replacing it replaces the link
        }
        const bool folder = (attrs & plat::kAttrDirectory) != 0;
        const bool read_only = !folder && (attrs & plat::kAttrReadOnly) != 0;
        // A folder in the way is named as such: a file cannot take its place.
        const char *question = folder      ? quill::msg::kFolderInTheWay
                               : read_only ? quill::msg::kExistsReadOnly
                                           : quill::msg::kExists;
        const int answer = quill::ask(path, question);
        if (answer == QUILL_IDYES) {
            // Normal attributes clear read-only (and every other attribute),
            // so that the existing file can be replaced.
            if (read_only) plat::set_attributes(path, plat::kAttrNormal);
            return 1;
        }
        if (answer != QUILL_IDNO) return 3;
        std::string name = path;
        if (!quill::free_name(&name)) return -1;
        memcpy(path, name.c_str(), name.size() + 1);
        return 2;
    });
}

int32_t angoufilemeisakusei(const char *item, char *archive, char *scratch) {
    return quill::guarded(-1, [&]() -> int32_t {
        const std::string source = item;
        const std::string name = source.substr(quill::name_start(source));
        const std::string target = source + ".velm";
        if (target.size() >= plat::kPathMax) return -1;
        memcpy(scratch, name.c_str(), name.size() + 1);
        memcpy(archive, target.c_str(), target.size() + 1);
        return filenamesyori(archive);
    });
}
