// The archive (".velm") as it lies on disk, described once.
//
//   offset 0           160 bytes   ephemeral public value x^r: limbs 0..39,
//                                  each least significant byte first (clear)
//   offset 160         32 x n      block stream: every folder entry, then
//                                  every file entry (enciphered, one chain)
//   size - 192         192 bytes   signature trailer: h (32), s (160) (clear;
//                                  laid out in keys/keyfile.h)
//
// A block is 32 bytes read as eight little-endian words w0..w7.
//
//   folder entry   header   w0 = w1 = 0, w2 = name length (NUL included),
//                           w3..w6 = 0, w7 = kind 1
//                  name     ceil(w2 / 32) blocks
//   file entry     header   w0, w1 = size low, high word; w2 = name length;
//                           w3..w6 = 0; w7 = kind 0 (stored) or 2 (compressed)
//                  times    w0, w1 creation; w2, w3 last access; w4, w5 last
//                           write (each time high word first); w6 attribute
//                           word; w7 filler
//                  name     ceil(w2 / 32) blocks
//                  data     stored: ceil(size / 32) blocks; compressed: the
//                           zlib stream of the contents in ceil(L / 32) blocks
//
// The name is the item's path relative to the folder of the first selected
// item, in code page 932 with "\" between components, then a NUL. Bytes after
// the name's NUL, after the last data byte and in w7 of the times block are
// filler: never interpreted (this writer puts zeros there).
//
// There is no entry count and no end marker: a reader deciphers headers until
// the trailer begins (its first block fails validation as a header) or, in
// an archive without trailer (its signing failed), the file ends. A header
// that fails anywhere else is damage.
#ifndef QUILL_LAYOUT_H
#define QUILL_LAYOUT_H

#include <cstddef>
#include <cstdint>

#include "bytes.h"
#include "platform/platform.h"

namespace quill::layout {

constexpr size_t kPublicValueBytes = 160;
constexpr size_t kBlockBytes = 32;
constexpr size_t kBlockWords = 8;

// Names: at most 260 bytes with their NUL, so at most 9 name blocks.
constexpr uint32_t kMaxNameBytes = 260;
constexpr size_t kMaxNameBlocks = (kMaxNameBytes + kBlockBytes - 1) / kBlockBytes;

// Sizes below 2^37 bytes: the high size word is at most 31, and the count of
// whole blocks (size / 32) fits one word.
constexpr uint32_t kMaxSizeHigh = 31;
constexpr uint64_t kSizeLimit = uint64_t(1) << 37;

// Header words.
constexpr int kSizeLow = 0;
constexpr int kSizeHigh = 1;
constexpr int kNameLength = 2;
constexpr int kKind = 7;

// Kind word: bit 0 marks a folder, bit 1 a compressed file. A writer writes
// only these three values; a reader looks at the two bits alone.
constexpr uint32_t kKindStored = 0;
constexpr uint32_t kKindFolder = 1;
constexpr uint32_t kKindCompressed = 2;

// Times-and-attributes words.
constexpr int kCreationHigh = 0;
constexpr int kAccessHigh = 2;
constexpr int kWriteHigh = 4;
constexpr int kAttributes = 6;

inline uint64_t blocks_for(uint64_t bytes) {
    return (bytes + kBlockBytes - 1) / kBlockBytes;
}

inline void load_words(const unsigned char *block, uint32_t *w) {
    for (size_t i = 0; i < kBlockWords; i++) w[i] = load32_le(block + 4 * i);
}

inline void store_words(const uint32_t *w, unsigned char *block) {
    for (size_t i = 0; i < kBlockWords; i++) store32_le(block + 4 * i, w[i]);
}

// The header block of an entry; w3..w6 are zero.
inline void store_header(unsigned char *block, uint64_t size, uint32_t name_length, uint32_t kind) {
    const uint32_t w[kBlockWords] = {
        uint32_t(size), uint32_t(size >> 32), name_length, 0, 0, 0, 0, kind};
    store_words(w, block);
}

// A deciphered block is a header when w1 <= 31, w3 = w4 = 0 and w2 <= 260.
// Anything else ends the entries; w0, w5, w6 and w7 are not examined.
inline bool header_valid(const uint32_t *w) {
    return w[kSizeHigh] <= kMaxSizeHigh && w[3] == 0 && w[4] == 0 &&
           w[kNameLength] <= kMaxNameBytes;
}

inline uint64_t header_size(const uint32_t *w) {
    return uint64_t(w[kSizeHigh]) << 32 | w[kSizeLow];
}

// Each time is stored high word first: the reverse of a FILETIME in memory.
inline void store_time(uint32_t *w, int high, uint64_t t) {
    w[high] = uint32_t(t >> 32);
    w[high + 1] = uint32_t(t);
}

inline uint64_t load_time(const uint32_t *w, int high) {
    return uint64_t(w[high]) << 32 | w[high + 1];
}

inline void store_times(unsigned char *block, const plat::FileTimes &t, uint32_t attributes) {
    uint32_t w[kBlockWords] = {};
    store_time(w, kCreationHigh, t.creation);
    store_time(w, kAccessHigh, t.access);
    store_time(w, kWriteHigh, t.write);
    w[kAttributes] = attributes;
    store_words(w, block);
}

inline void load_times(const unsigned char *block, plat::FileTimes *t, uint32_t *attributes) {
    uint32_t w[kBlockWords];
    load_words(block, w);
    t->creation = load_time(w, kCreationHigh);
    t->access = load_time(w, kAccessHigh);
    t->write = load_time(w, kWriteHigh);
    *attributes = w[kAttributes];
}

}  // namespace quill::layout

#endif
