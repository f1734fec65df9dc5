// The block cipher: 32-byte blocks read as four 64-bit words B0..B3, five
// rounds of key XOR, 16-bit mixes, a fold and a multiplication by an odd
// 64-bit number, chained with the previous ciphertext block and whitened with
// eight generator words per block.
#include <cstring>

#include "bytes.h"
#include "quillcore.h"
#include "symmetric/random.h"

namespace {

constexpr int kKeyWords64 = 20;

struct Key64 {
    uint64_t k[kKeyWords64];
};

// Word j of a schedule is 32-bit word 2j plus 2^32 times word 2j+1.
Key64 load_key(const uint32_t *words) {
    Key64 key;
    for (int j = 0; j < kKeyWords64; j++)
        key.k[j] = uint64_t(words[2 * j]) | uint64_t(words[2 * j + 1]) << 32;
    return key;
}

// B <- B(2k+1) + k: on the odd number 2B+1 this is multiplication by 2k+1
// modulo 2^65, undone by the same step with inverse(k).
inline uint64_t odd_mul(uint64_t b, uint64_t k) {
    return b * (2 * k + 1) + k;
}

// Each round step mixes 16-bit pieces and then folds (low half ^= high
// half). A low mix of b with n sets bits 0-15 ^= bits 48-63 and bits 16-31 ^=
// bits 0-15 of n; a high mix of b into p sets bits 48-63 of p ^= bits 32-47 of
// b and bits 0-15 of b ^= bits 48-63 of b. Every one of them changes only
// bits of b that none of them reads (b's high half is never changed), so mix
// then fold is one expression in b, and the same expression undoes it.
inline uint64_t low_mix_fold(uint64_t b, uint64_t n) {
    return b ^ (b >> 48) ^ (b >> 32) ^ ((n & 0xFFFF) << 16);
}

inline uint64_t high_mix_fold(uint64_t b, uint64_t &p) {
    p ^= ((b >> 32) & 0xFFFF) << 48;
    return b ^ (b >> 48) ^ (b >> 32);
}

// The eight keystream words of one block, as four 64-bit words. They do not
// depend on the data, so they are drawn first and the generator's work
// overlaps the rounds.
struct Stream {
    uint64_t s[4];
};

inline Stream draw_stream() {
    Stream st;
    for (int i = 0; i < 4; i++) {
        const uint64_t lo = quill::next_word();
        st.s[i] = lo | uint64_t(quill::next_word()) << 32;
    }
    return st;
}

}  // namespace

void inverse(uint32_t *v) {
    const uint64_t value = uint64_t(v[0]) | uint64_t(v[1]) << 32;
    uint64_t rem = value;
    uint64_t m = 2 * value + 1;
    uint64_t z = 0;
    // Adding m (an odd multiple of 2^i) clears bit i of rem and leaves the
    // lower bits alone, so after 64 positions rem = v + z(2v+1) = 0.
    for (int i = 0; i < 64; i++) {
        if (rem >> i & 1) {
            z |= uint64_t(1) << i;
            rem += m;
        }
        m <<= 1;
    }
    v[0] = uint32_t(z);
    v[1] = uint32_t(z >> 32);
}

void kagikazusakusei(const unsigned char *material, uint32_t *key, uint32_t *inv) {
    initialize_array(material, QUILL_NUM_BYTES);
    for (int i = 0; i < QUILL_KEY_WORDS; i++) key[i] = makeransuu();
    std::memcpy(inv, key, QUILL_KEY_WORDS * sizeof(uint32_t));
    for (int j = 0; j < kKeyWords64; j++) inverse(inv + 2 * j);
}

void Rangou(unsigned char *block, unsigned char *chain, const uint32_t *key) {
    const Stream st = draw_stream();
    const Key64 K = load_key(key);
    // Whitening: keystream, previous ciphertext block and plaintext.
    uint64_t b0 = st.s[0] ^ quill::load64_le(chain) ^ quill::load64_le(block);
    uint64_t b1 = st.s[1] ^ quill::load64_le(chain + 8) ^ quill::load64_le(block + 8);
    uint64_t b2 = st.s[2] ^ quill::load64_le(chain + 16) ^ quill::load64_le(block + 16);
    uint64_t b3 = st.s[3] ^ quill::load64_le(chain + 24) ^ quill::load64_le(block + 24);
    for (int r = 0; r < 5; r++) {
        const uint64_t *k = K.k + 4 * r;
        b0 = odd_mul(low_mix_fold(b0 ^ k[0], b1), k[0]);
        b1 ^= b0;
        b1 = odd_mul(low_mix_fold(b1 ^ k[1], b2), k[1]);
        b2 ^= b1;
        // The high mixes change b1 and b2 after they were XORed forward.
        b2 = odd_mul(high_mix_fold(b2 ^ k[2], b1), k[2]);
        b3 ^= b2;
        b3 = odd_mul(high_mix_fold(b3 ^ k[3], b2), k[3]);
        b0 ^= b3;
    }
    // Closing step: K[0] once more, nothing XORed forward.
    b0 = odd_mul(low_mix_fold(b0 ^ K.k[0], b1), K.k[0]);
    quill::store64_le(block, b0);
    quill::store64_le(block + 8, b1);
    quill::store64_le(block + 16, b2);
    quill::store64_le(block + 24, b3);
    std::memcpy(chain, block, QUILL_BLOCK_BYTES);
}

void Rfukugou(unsigned char *block, unsigned char *chain, const uint32_t *key,
              const uint32_t *inv) {
    const Stream st = draw_stream();
    const Key64 K = load_key(key);
    const Key64 Ki = load_key(inv);
    unsigned char cipher[QUILL_BLOCK_BYTES];
    std::memcpy(cipher, block, sizeof cipher);
    uint64_t b0 = quill::load64_le(block), b1 = quill::load64_le(block + 8);
    uint64_t b2 = quill::load64_le(block + 16), b3 = quill::load64_le(block + 24);
    // Every step runs backwards; each mix meets the same operand bits it read
    // on the way in, because the words it reads are restored by then.
    b0 = low_mix_fold(odd_mul(b0, Ki.k[0]), b1) ^ K.k[0];
    for (int r = 4; r >= 0; r--) {
        const uint64_t *k = K.k + 4 * r;
        const uint64_t *ki = Ki.k + 4 * r;
        b0 ^= b3;
        b3 = high_mix_fold(odd_mul(b3, ki[3]), b2) ^ k[3];
        b3 ^= b2;
        b2 = high_mix_fold(odd_mul(b2, ki[2]), b1) ^ k[2];
        b2 ^= b1;
        b1 = low_mix_fold(odd_mul(b1, ki[1]), b2) ^ k[1];
        b1 ^= b0;
        b0 = low_mix_fold(odd_mul(b0, ki[0]), b1) ^ k[0];
    }
    // Un-whitening, then the consumed ciphertext becomes the chaining block.
    quill::store64_le(block, b0 ^ st.s[0] ^ quill::load64_le(chain));
    quill::store64_le(block + 8, b1 ^ st.s[1] ^ quill::load64_le(chain + 8));
    quill::store64_le(block + 16, b2 ^ st.s[2] ^ quill::load64_le(chain + 16));
    quill::store64_le(block + 24, b3 ^ st.s[3] ^ quill::load64_le(chain + 24));
    std::memcpy(chain, cipher, sizeof cipher);
}
