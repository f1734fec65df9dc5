// Base64 helpers inside quillcore that are not part of the exported interface.
#ifndef QUILL_SYMMETRIC_BASE64_H
#define QUILL_SYMMETRIC_BASE64_H

#include <cstddef>
#include <cstdint>

namespace quill {

// Decodes like decode64 into an area of capacity bytes. A text whose groups
// would write past the area fails (1), and nothing is ever written at or past
// out[capacity]; groups that fit before the failure stay written. Key-file
// readers use it so that an over-long file cannot overrun their record area.
// written, when given, receives the count of bytes decoded (three a group).
int32_t decode64_bounded(const char *text, unsigned char *out, size_t capacity,
                         size_t *written = nullptr);

}  // namespace quill

#endif
