// The operating-system seam of quillcore. Everything above this header is
// shared code; one implementation file per platform lies beside it.
#ifndef QUILL_PLATFORM_H
#define QUILL_PLATFORM_H

#include <cstdint>

namespace quill::plat {

// Fills buf with length cryptographically strong random bytes.
// 0 success; 1 the source cannot be opened or did not deliver every byte.
int random_bytes(unsigned char *buf, int32_t length);

// Milliseconds from a monotonic clock, wrapping at 2^32 (seed material).
uint32_t tick_count();

}  // namespace quill::plat

#endif
