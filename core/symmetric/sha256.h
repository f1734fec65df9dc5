// SHA-256 inside quillcore: a running hash over pieces of any size, and the
// compression of whole 64-byte blocks on the fastest path the processor
// offers. Every path gives the same state words.
#ifndef QUILL_SHA256_H
#define QUILL_SHA256_H

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace quill {

// The 64 round constants of SHA-256.
extern const uint32_t kSha256Rounds[64];

struct Sha256 {
    uint32_t state[8];
    uint32_t work[64];  // the message block being filled, then its schedule
    size_t fill;        // bytes of that block so far (0..63)
    uint64_t total;     // bytes hashed so far
};

void sha256_start(Sha256 *h);
void sha256_add(Sha256 *h, const unsigned char *data, size_t n);
// Adds the next bytes bytes of the file, or the rest of it with UINT64_MAX,
// counted for the progress. False on a read error, or when the file ends
// before a count it was given.
bool sha256_file(Sha256 *h, plat::File *file, uint64_t bytes);
// The final state words H0..H7 into out; h is wiped.
void sha256_end(Sha256 *h, uint32_t *out);

// state <- the compression of blocks whole 64-byte blocks of data, in order.
void sha256_blocks(uint32_t *state, const unsigned char *data, size_t blocks);

// The paths on their own, for the tests that hold them against each other.
void sha256_blocks_portable(uint32_t *state, const unsigned char *data, size_t blocks);
// With the SHA extensions.
void sha256_blocks_ni(uint32_t *state, const unsigned char *data, size_t blocks);

}  // namespace quill

#endif
