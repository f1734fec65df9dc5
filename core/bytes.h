// Little-endian loads and stores (and the big-endian ones zlib's check
// value needs), and a wipe the compiler keeps.
// Every file layout and every byte view of a word goes through these, so the
// byte order is stated in one place and does not depend on the host.
#ifndef QUILL_BYTES_H
#define QUILL_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quill {

inline uint32_t load32_le(const unsigned char *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void store32_le(unsigned char *p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline uint64_t load64_le(const unsigned char *p) {
    return uint64_t(load32_le(p)) | uint64_t(load32_le(p + 4)) << 32;
}

inline void store64_le(unsigned char *p, uint64_t v) {
    store32_le(p, uint32_t(v));
    store32_le(p + 4, uint32_t(v >> 32));
}

inline void store16_le(unsigned char *p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline uint32_t load32_be(const unsigned char *p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

inline void store32_be(unsigned char *p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Clears secrets: the empty statement after the clearing claims to read the
// memory, which keeps the stores from being removed as dead even when the
// buffer is never read again, and lets the clearing run at memset's speed.
inline void wipe(void *buf, size_t n) {
    std::memset(buf, 0, n);
    __asm__ __volatile__("" : : "r"(buf) : "memory");
}

}  // namespace quill

#endif
