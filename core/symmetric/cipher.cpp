// The block cipher: 32-byte blocks read as four 64-bit words B0..B3, five
// rounds of key XOR, 16-bit mixes, a fold and a multiplication by an odd
// 64-bit number, chained with the previous ciphertext block and whitened with
// eight generator words per block.
#include <cstring>

#include "bytes.h"
#include "cpu.h"
#include "quillcore.h"
#include "symmetric/cipher.h"
#include "symmetric/random.h"

namespace {

constexpr int kKeyWords64 = 20;
using quill::cipher::kBlockBytes;
using quill::cipher::Schedule;

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

// A block as four 64-bit words.
struct Words {
    uint64_t b[4];
};

inline Words load_words(const unsigned char *p) {
    return {{quill::load64_le(p), quill::load64_le(p + 8), quill::load64_le(p + 16),
             quill::load64_le(p + 24)}};
}

inline void store_words(unsigned char *p, const Words &w) {
    for (int i = 0; i < 4; i++) quill::store64_le(p + 8 * i, w.b[i]);
}

// The rounds on a whitened block.
inline Words forward(Words w, const uint64_t *K) {
    uint64_t b0 = w.b[0], b1 = w.b[1], b2 = w.b[2], b3 = w.b[3];
    for (int r = 0; r < 5; r++) {
        const uint64_t *k = K + 4 * r;
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
    b0 = odd_mul(low_mix_fold(b0 ^ K[0], b1), K[0]);
    return {{b0, b1, b2, b3}};
}

// The rounds undone: every step runs backwards; each mix meets the same
// operand bits it read on the way in, because the words it reads are
// restored by then.
inline Words backward(Words w, const uint64_t *K, const uint64_t *Ki) {
    uint64_t b0 = w.b[0], b1 = w.b[1], b2 = w.b[2], b3 = w.b[3];
    b0 = low_mix_fold(odd_mul(b0, Ki[0]), b1) ^ K[0];
    for (int r = 4; r >= 0; r--) {
        const uint64_t *k = K + 4 * r;
        const uint64_t *ki = Ki + 4 * r;
        b0 ^= b3;
        b3 = high_mix_fold(odd_mul(b3, ki[3]), b2) ^ k[3];
        b3 ^= b2;
        b2 = high_mix_fold(odd_mul(b2, ki[2]), b1) ^ k[2];
        b2 ^= b1;
        b1 = low_mix_fold(odd_mul(b1, ki[1]), b2) ^ k[1];
        b1 ^= b0;
        b0 = low_mix_fold(odd_mul(b0, ki[0]), b1) ^ k[0];
    }
    return {{b0, b1, b2, b3}};
}

// Blocks deciphered side by side: independent chains of multiplications
// that the processor overlaps, each step taken in every lane before the next.
constexpr size_t kLanes = 4;

struct Lanes {
    uint64_t b0[kLanes], b1[kLanes], b2[kLanes], b3[kLanes];
};

inline void backward_lanes(Lanes &w, const uint64_t *K, const uint64_t *Ki) {
#define QUILL_EACH_LANE for (size_t l = 0; l < kLanes; l++)
    QUILL_EACH_LANE w.b0[l] = low_mix_fold(odd_mul(w.b0[l], Ki[0]), w.b1[l]) ^ K[0];
    for (int r = 4; r >= 0; r--) {
        const uint64_t *k = K + 4 * r;
        const uint64_t *ki = Ki + 4 * r;
        QUILL_EACH_LANE w.b0[l] ^= w.b3[l];
        QUILL_EACH_LANE w.b3[l] = high_mix_fold(odd_mul(w.b3[l], ki[3]), w.b2[l]) ^ k[3];
        QUILL_EACH_LANE w.b3[l] ^= w.b2[l];
        QUILL_EACH_LANE w.b2[l] = high_mix_fold(odd_mul(w.b2[l], ki[2]), w.b1[l]) ^ k[2];
        QUILL_EACH_LANE w.b2[l] ^= w.b1[l];
        QUILL_EACH_LANE w.b1[l] = low_mix_fold(odd_mul(w.b1[l], ki[1]), w.b2[l]) ^ k[1];
        QUILL_EACH_LANE w.b1[l] ^= w.b0[l];
        QUILL_EACH_LANE w.b0[l] = low_mix_fold(odd_mul(w.b0[l], ki[0]), w.b1[l]) ^ k[0];
    }
#undef QUILL_EACH_LANE
}

}  // namespace

namespace quill::cipher {

void load_schedule(const uint32_t *key, const uint32_t *inv, Schedule *s) {
    // Word j of a schedule is 32-bit word 2j plus 2^32 times word 2j+1.
    for (int j = 0; j < kKeyWords64; j++)
        s->k[j] = uint64_t(key[2 * j]) | uint64_t(key[2 * j + 1]) << 32;
    if (!inv) return;
    for (int j = 0; j < kKeyWords64; j++)
        s->inv[j] = uint64_t(inv[2 * j]) | uint64_t(inv[2 * j + 1]) << 32;
}

void draw_stream(Generator &g, uint64_t *stream, size_t blocks) {
    // Eight generator words a block, the first of each pair the low half.
    constexpr size_t kAtOnce = 64;
    uint32_t words[2 * kStreamWords * kAtOnce];
    const size_t used = blocks < kAtOnce ? blocks : kAtOnce;
    while (blocks != 0) {
        const size_t n = blocks < kAtOnce ? blocks : kAtOnce;
        quill::draw_words(g, words, 2 * kStreamWords * n);
        for (size_t i = 0; i < kStreamWords * n; i++)
            stream[i] = words[2 * i] | uint64_t(words[2 * i + 1]) << 32;
        stream += kStreamWords * n;
        blocks -= n;
    }
    quill::wipe(words, used * 2 * kStreamWords * sizeof *words);
}

void encipher(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
              const uint64_t *stream) {
    encipher_into(data, data, blocks, chain, s, stream);
}

void encipher_into(const unsigned char *in, unsigned char *out, size_t blocks, unsigned char *chain,
                   const Schedule &s, const uint64_t *stream) {
    // Whitening: keystream, previous ciphertext block and plaintext. Each
    // block is read before it is written, so in may be out.
    Words prev = load_words(chain);
    for (size_t n = 0; n < blocks; n++, stream += kStreamWords) {
        Words w = load_words(in + n * kBlockBytes);
        for (int i = 0; i < 4; i++) w.b[i] ^= stream[i] ^ prev.b[i];
        prev = forward(w, s.k);
        store_words(out + n * kBlockBytes, prev);
    }
    store_words(chain, prev);
}

void decipher(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
              const uint64_t *stream) {
    const cpu::Features &f = cpu::features();
    // The widest lanes the processor offers for the whole groups, the
    // portable code for the rest.
    size_t done = 0;
    if (f.avx512 && blocks >= 8)
        done = decipher_wide(data, blocks, chain, s, stream);
    else if (f.avx2 && blocks >= 8)
        done = decipher_avx2(data, blocks, chain, s, stream);
    decipher_portable(data + done * kBlockBytes, blocks - done, chain, s,
                      stream + done * kStreamWords);
}

void decipher_portable(unsigned char *data, size_t blocks, unsigned char *chain, const Schedule &s,
                       const uint64_t *stream) {
    Words prev = load_words(chain);
    size_t n = 0;
    for (; n + kLanes <= blocks; n += kLanes) {
        unsigned char *at = data + n * kBlockBytes;
        const uint64_t *ks = stream + n * kStreamWords;
        Words c[kLanes];
        Lanes w;
        for (size_t l = 0; l < kLanes; l++) {
            c[l] = load_words(at + l * kBlockBytes);
            w.b0[l] = c[l].b[0];
            w.b1[l] = c[l].b[1];
            w.b2[l] = c[l].b[2];
            w.b3[l] = c[l].b[3];
        }
        backward_lanes(w, s.k, s.inv);
        for (size_t l = 0; l < kLanes; l++) {
            const Words &before = l == 0 ? prev : c[l - 1];
            const uint64_t *k = ks + kStreamWords * l;
            const Words p = {{w.b0[l] ^ k[0] ^ before.b[0], w.b1[l] ^ k[1] ^ before.b[1],
                              w.b2[l] ^ k[2] ^ before.b[2], w.b3[l] ^ k[3] ^ before.b[3]}};
            store_words(at + l * kBlockBytes, p);
        }
        prev = c[kLanes - 1];
    }
    for (; n < blocks; n++) {
        unsigned char *at = data + n * kBlockBytes;
        const Words c = load_words(at);
        Words p = backward(c, s.k, s.inv);
        for (int i = 0; i < 4; i++) p.b[i] ^= stream[kStreamWords * n + i] ^ prev.b[i];
        store_words(at, p);
        prev = c;
    }
    store_words(chain, prev);
}

}  // namespace quill::cipher

void inverse(uint32_t *v) {
    const uint64_t value = uint64_t(v[0]) | uint64_t(v[1]) << 32;
    uint64_t rem = value;
    uint64_t m = 2 * value + 1;
    uint64_t z = 0;
    // Adding m (an odd multiple of 2^i) clears bit i of rem and leaves the
    // lower bits alone, so after 64 positions rem = v + z(2v+1) = 0. The key
    // is secret: the bit selects by a mask, not by a branch.
    for (int i = 0; i < 64; i++) {
        const uint64_t take = 0 - (rem >> i & 1);
        z |= (uint64_t(1) << i) & take;
        rem += m & take;
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

namespace {

// One block's keystream, drawn word by word (a bulk draw costs more for one).
inline void draw_one(uint64_t *stream) {
    quill::Generator &g = quill::active_generator();
    for (size_t i = 0; i < quill::cipher::kStreamWords; i++) {
        const uint64_t lo = quill::next_word(g);
        stream[i] = lo | uint64_t(quill::next_word(g)) << 32;
    }
}

}  // namespace

void Rangou(unsigned char *block, unsigned char *chain, const uint32_t *key) {
    quill::cipher::Schedule s;
    quill::cipher::load_schedule(key, nullptr, &s);
    uint64_t stream[quill::cipher::kStreamWords];
    draw_one(stream);
    quill::cipher::encipher(block, 1, chain, s, stream);
}

void Rfukugou(unsigned char *block, unsigned char *chain, const uint32_t *key,
              const uint32_t *inv) {
    quill::cipher::Schedule s;
    quill::cipher::load_schedule(key, inv, &s);
    uint64_t stream[quill::cipher::kStreamWords];
    draw_one(stream);
    quill::cipher::decipher(block, 1, chain, s, stream);
}
