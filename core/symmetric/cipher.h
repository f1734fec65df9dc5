// The block cipher inside quillcore, many blocks a call: the keystream drawn
// ahead in bulk (it does not depend on the data), the chained enciphering as
// a tight loop of rounds, and deciphering in interleaved lanes, since each
// plaintext block needs only its own and the previous ciphertext block.
// Rangou and Rfukugou are these with one block.
#ifndef QUILL_CIPHER_H
#define QUILL_CIPHER_H

#include <cstddef>
#include <cstdint>

namespace quill {
struct Generator;
}

namespace quill::cipher {

constexpr size_t kBlockBytes = 32;
constexpr size_t kStreamWords = 4;  // 64-bit keystream words per block

// Both key schedules as 64-bit words.
struct Schedule {
    uint64_t k[20];
    uint64_t inv[20];
};
// inv may be null for a schedule that only enciphers.
void load_schedule(const uint32_t *key, const uint32_t *inv, Schedule *s);

// The keystream of the next blocks blocks, in order, from the generator g.
void draw_stream(Generator &g, uint64_t *stream, size_t blocks);

// Enciphers blocks in place with their keystream; chain holds the previous
// ciphertext block and receives the last one.
void encipher(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
              const uint64_t *stream);
// The same from in to out (which may be in).
void encipher_into(const unsigned char *in, unsigned char *out, size_t blocks, unsigned char *chain,
                   const Schedule &s, const uint64_t *stream);
// Deciphers blocks in place; chain as above.
void decipher(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
              const uint64_t *stream);

// The paths on their own, for the tests that hold them against each other:
// decipher_portable is the reference; decipher_wide (AVX-512) deciphers the
// whole groups of eight blocks, and so does decipher_avx2 (AVX2); each
// returns how many blocks it did.
void decipher_portable(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
                       const uint64_t *stream);
size_t decipher_wide(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
                     const uint64_t *stream);
size_t decipher_avx2(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
                     const uint64_t *stream);

}  // namespace quill::cipher

#endif
