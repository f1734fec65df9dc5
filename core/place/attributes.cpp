// The attribute words of restored files.
#include "place/attributes.h"

#include "platform/platform.h"

namespace quill::place {

namespace {

// The attribute bits a restored file may take; the rest (folder, link,
// device, compression and the like) describe the source's storage, not the
// file.
constexpr uint32_t kRestorableAttributes =
    plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem | plat::kAttrArchive |
    plat::kAttrNormal | plat::kAttrTemporary | plat::kAttrNotContentIndexed;

}  // namespace

uint32_t restorable(uint32_t attributes) {
    attributes &= kRestorableAttributes;
    return attributes != 0 ? attributes : plat::kAttrNormal;
}

void restore_attributes(const char *path, uint32_t attributes, bool replaced) {
    if (!plat::kAttributesByPath) return;
    // A replaced file kept the old one's attributes; only read-only is the
    // entry's.
    const uint32_t now = replaced ? plat::attributes(path) : plat::kNoAttributes;
    if (now == plat::kNoAttributes) {
        plat::set_attributes(path, restorable(attributes));
        return;
    }
    const uint32_t kept =
        (now & ~plat::kAttrReadOnly & kRestorableAttributes & ~plat::kAttrNormal) |
        (attributes & plat::kAttrReadOnly);
    plat::set_attributes(path, kept != 0 ? kept : plat::kAttrNormal);
}

}  // namespace quill::place
