// How many bytes an archive's headers let a reader restore, worked out from
// its block stream in clear by walking the entries as the format lays them
// out, independently of the decryption driver.
#ifndef QUILL_FUZZ_STATED_H
#define QUILL_FUZZ_STATED_H

#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "format/layout.h"

namespace fuzz {

// The blocks from *at on that hold one zlib stream: *at moves past the block
// where the stream ends. False when the stream is damaged or the blocks run
// out first, where a reader gives up the archive.
inline bool skip_zlib_stream(const unsigned char *plain, size_t blocks, size_t *at) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    unsigned char sink[4096];
    int rc = Z_OK;
    while (rc == Z_OK && *at < blocks) {
        z.next_in = const_cast<unsigned char *>(plain + *at * quill::layout::kBlockBytes);
        z.avail_in = quill::layout::kBlockBytes;
        ++*at;
        // Until the block is taken and no output is pending.
        do {
            z.next_out = sink;
            z.avail_out = sizeof sink;
            rc = inflate(&z, Z_NO_FLUSH);
        } while (rc == Z_OK && (z.avail_in != 0 || z.avail_out == 0));
        if (rc == Z_BUF_ERROR) rc = Z_OK;  // nothing more without the next block
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

// The sum of the size words of the file entries in a block stream in clear
// (blocks of 32 bytes): entries follow one another until a block that is not
// a valid header or the end of the stream; a file's data is ceil(size / 32)
// blocks when stored, its zlib stream's blocks when compressed. Folder
// entries restore no bytes whatever their size words say.
inline uint64_t stated_bytes(const unsigned char *plain, size_t blocks) {
    namespace l = quill::layout;
    uint64_t total = 0;
    size_t at = 0;
    while (at < blocks) {
        uint32_t w[l::kBlockWords];
        l::load_words(plain + at * l::kBlockBytes, w);
        ++at;
        if (!l::header_valid(w)) break;
        if (w[l::kKind] & l::kKindFolder) {
            at += size_t(l::blocks_for(w[l::kNameLength]));
            continue;
        }
        total += l::header_size(w);
        at += 1 + size_t(l::blocks_for(w[l::kNameLength]));  // times, name
        if (w[l::kKind] & l::kKindCompressed) {
            if (!skip_zlib_stream(plain, blocks, &at)) break;
        } else {
            at += size_t(l::blocks_for(l::header_size(w)));
        }
    }
    return total;
}

}  // namespace fuzz

#endif
