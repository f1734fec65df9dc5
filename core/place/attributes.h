// What a restored file keeps of the attribute word its entry holds.
#ifndef QUILL_ATTRIBUTES_H
#define QUILL_ATTRIBUTES_H

#include <cstdint>

namespace quill::place {

// The attribute word of an entry as far as it describes the file (read-only,
// hidden and the like) rather than where it was stored.
uint32_t restorable(uint32_t attributes);
// That word on the restored file at path, where the platform sets it by path
// (plat::kAttributesByPath); elsewhere Temp::finish gave it. A file that
// replaced another (replaced) keeps that one's attributes, but read-only.
void restore_attributes(const char *path, uint32_t attributes, bool replaced = false);

}  // namespace quill::place

#endif
