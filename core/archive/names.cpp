// Output names: the archive's name from the first chosen item, and the
// question about an output name that exists already, with the first free
// numbered name name(N).ext when the user wants another name.
#include <cstring>
#include <string>

#include "archive/msgbox.h"
#include "archive/paths.h"
#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace plat = quill::plat;

int32_t filenamesyori(char *path) {
    try {
        const uint32_t attrs = plat::attributes(path);
        if (attrs == plat::kNoAttributes) return 0;
        const bool read_only = (attrs & plat::kAttrReadOnly) != 0;
        const int answer =
            quill::show_message(read_only ? quill::msg::kExistsReadOnly : quill::msg::kExists, path,
                                QUILL_MB_YESNOCANCEL);
        if (answer == QUILL_IDYES) {
            // Normal attributes clear read-only (and every other attribute),
            // so that the existing file can be removed.
            if (read_only) plat::set_attributes(path, plat::kAttrNormal);
            return 1;
        }
        if (answer != QUILL_IDNO) return 3;

        const std::string whole = path;
        const size_t ext = quill::extension_start(whole);
        const std::string base = whole.substr(0, ext), extension = whole.substr(ext);
        for (unsigned long n = 1;; n++) {
            const std::string candidate = base + "(" + std::to_string(n) + ")" + extension;
            // Every later candidate is at least as long: no free name fits.
            if (candidate.size() >= plat::kPathMax) return -1;
            if (plat::attributes(candidate.c_str()) == plat::kNoAttributes) {
                memcpy(path, candidate.c_str(), candidate.size() + 1);
                return 2;
            }
        }
    } catch (const std::bad_alloc &) {
        return -1;
    }
}

int32_t angoufilemeisakusei(const char *item, char *archive, char *scratch) {
    try {
        const std::string source = item;
        const std::string name = source.substr(quill::name_start(source));
        const std::string target = source + ".velm";
        if (target.size() >= plat::kPathMax) return -1;
        memcpy(scratch, name.c_str(), name.size() + 1);
        memcpy(archive, target.c_str(), target.size() + 1);
        return filenamesyori(archive);
    } catch (const std::bad_alloc &) {
        return -1;
    }
}
