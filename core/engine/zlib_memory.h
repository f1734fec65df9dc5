// zlib's memory for the streams that hold plaintext (deflate's and
// inflate's windows), wiped when zlib frees it. Each allocation keeps its
// size in front of the memory it hands out.
#ifndef QUILL_ZLIB_MEMORY_H
#define QUILL_ZLIB_MEMORY_H

#include <zlib.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "bytes.h"

namespace quill {

inline voidpf wiping_alloc(voidpf, uInt items, uInt size) {
    const size_t bytes = size_t(items) * size;
    auto *p = static_cast<unsigned char *>(std::malloc(bytes + sizeof(std::max_align_t)));
    if (!p) return Z_NULL;
    std::memcpy(p, &bytes, sizeof bytes);
    return p + sizeof(std::max_align_t);
}

inline void wiping_free(voidpf, voidpf address) {
    if (!address) return;
    unsigned char *p = static_cast<unsigned char *>(address) - sizeof(std::max_align_t);
    size_t bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    wipe(address, bytes);
    std::free(p);
}

// Before deflateInit or inflateInit.
inline void wipe_when_freed(z_stream *z) {
    z->zalloc = wiping_alloc;
    z->zfree = wiping_free;
}

}  // namespace quill

#endif
