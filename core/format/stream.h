// The cipher state of one archive's block stream, and how every writer and
// reader of an archive starts it.
#ifndef QUILL_STREAM_H
#define QUILL_STREAM_H

#include <cstdint>

#include "bytes.h"
#include "keys/keyfile.h"
#include "quillcore.h"

namespace quill {

// What one archive is enciphered or deciphered with, wiped however the call
// that holds it ends: the exponent of the key agreement (the writer's r, the
// reader's d), the shared secret and its 160-byte image, both key schedules
// and the chaining block, which holds the last ciphertext block.
struct Secrets {
    uint32_t exponent[QUILL_LIMBS];
    uint32_t shared[QUILL_LIMBS];
    unsigned char material[QUILL_NUM_BYTES];
    uint32_t key[QUILL_KEY_WORDS];
    uint32_t inv[QUILL_KEY_WORDS];
    unsigned char chain[QUILL_BLOCK_BYTES];
    ~Secrets() { wipe(this, sizeof *this); }
};

// Starts the block stream from the shared secret in s->shared: both key
// schedules (which seeds the generator the keystream is drawn from), then the
// first chaining block, the SHA-256 value of the 160 stored bytes of the
// public value. From here to the archive's last block nothing else may draw
// from the generator. The exponent and the shared secret are no longer
// needed and are wiped.
inline void start_stream(Secrets *s, const unsigned char *public_image) {
    store_num(s->material, s->shared);
    kagikazusakusei(s->material, s->key, s->inv);
    uint32_t state[QUILL_SHA_WORDS];
    SHA256_array(public_image, QUILL_NUM_BYTES, state);
    for (int i = 0; i < QUILL_SHA_WORDS; i++) store32_le(s->chain + 4 * i, state[i]);
    wipe(s->exponent, sizeof s->exponent);
    wipe(s->shared, sizeof s->shared);
    wipe(s->material, sizeof s->material);
}

}  // namespace quill

#endif
