// Settling output names that something has already.
#include "place/settle.h"

#include "messages.h"
#include "paths.h"
#include "place/names.h"
#include "quillcore.h"
#include "report.h"

namespace quill::place {

Settled settled_from(int32_t code, const std::string &path) {
    switch (code) {
        case 0:
            return kFree;
        case 1: {
            // A link that leads nowhere has no attributes, and is a file here.
            const uint32_t attrs = plat::attributes(path.c_str());
            if (attrs != plat::kNoAttributes && (attrs & plat::kAttrDirectory)) {
                fail(path.c_str(), msg::kFolderNotReplaced);
                return kFail;
            }
            return kReplace;
        }
        case 2:
            return kRenamed;
        case 3:
            return kStop;
        default:
            fail(path.c_str(), msg::kPathTooLong);
            return kFail;
    }
}

const char *name_in(const std::string &path, plat::Folder *in) {
    return path.c_str() + (in ? name_start(path) : 0);
}

bool taken(const std::string &path, plat::Folder *in) {
    return plat::exists(name_in(path, in), in);
}

Settled settle(std::string *path) {
    char buf[plat::kPathMax];
    if (path->size() >= sizeof buf) {
        fail(path->c_str(), msg::kPathTooLong);
        return kFail;
    }
    path->copy(buf, path->size());
    buf[path->size()] = '\0';
    const Settled how = settled_from(filenamesyori(buf), *path);
    *path = buf;
    return how;
}

}  // namespace quill::place
