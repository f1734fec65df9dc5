// Deciphering eight blocks at a time in 256-bit registers (AVX2): word i of
// four blocks side by side in one register, two such groups at once, every step of the rounds taken
// in all four lanes. AVX2 has no 64-bit multiplication, so each odd
// multiplier's product is made of three 32-bit ones. The steps are those of
// the portable code, so are the results.
#include <immintrin.h>

#include "symmetric/cipher.h"

namespace quill::cipher {

namespace {

constexpr size_t kLanes = 4;

#define QUILL_AVX2 __attribute__((target("avx2"), always_inline)) inline

// b (2k + 1) + k modulo 2^64: the low halves' full product, and the two
// cross products, whose low halves land in the upper half.
QUILL_AVX2 __m256i odd_mul(__m256i b, uint64_t k) {
    const uint64_t m = 2 * k + 1;
    const __m256i lo = _mm256_set1_epi64x((long long)m);
    const __m256i hi = _mm256_set1_epi64x((long long)(m >> 32));
    const __m256i low = _mm256_mul_epu32(b, lo);
    const __m256i cross =
        _mm256_add_epi64(_mm256_mul_epu32(b, hi), _mm256_mul_epu32(_mm256_srli_epi64(b, 32), lo));
    return _mm256_add_epi64(_mm256_add_epi64(low, _mm256_slli_epi64(cross, 32)),
                            _mm256_set1_epi64x((long long)k));
}

QUILL_AVX2 __m256i fold(__m256i b) {
    return _mm256_xor_si256(_mm256_xor_si256(b, _mm256_srli_epi64(b, 48)),
                            _mm256_srli_epi64(b, 32));
}

QUILL_AVX2 __m256i low_mix_fold(__m256i b, __m256i n) {
    return _mm256_xor_si256(fold(b),
                            _mm256_slli_epi64(_mm256_and_si256(n, _mm256_set1_epi64x(0xFFFF)), 16));
}

QUILL_AVX2 __m256i high_mix_fold(__m256i b, __m256i &p) {
    p = _mm256_xor_si256(
        p, _mm256_slli_epi64(_mm256_and_si256(_mm256_srli_epi64(b, 32), _mm256_set1_epi64x(0xFFFF)),
                             48));
    return fold(b);
}

QUILL_AVX2 __m256i x(__m256i a, uint64_t k) {
    return _mm256_xor_si256(a, _mm256_set1_epi64x((long long)k));
}

// Four blocks, one a register, to word i of every block in register i; the
// same steps bring them back.
QUILL_AVX2 void transpose(const __m256i *in, __m256i *out) {
    const __m256i t0 = _mm256_unpacklo_epi64(in[0], in[1]);
    const __m256i t1 = _mm256_unpackhi_epi64(in[0], in[1]);
    const __m256i t2 = _mm256_unpacklo_epi64(in[2], in[3]);
    const __m256i t3 = _mm256_unpackhi_epi64(in[2], in[3]);
    out[0] = _mm256_permute2x128_si256(t0, t2, 0x20);
    out[1] = _mm256_permute2x128_si256(t1, t3, 0x20);
    out[2] = _mm256_permute2x128_si256(t0, t2, 0x31);
    out[3] = _mm256_permute2x128_si256(t1, t3, 0x31);
}

#undef QUILL_AVX2

}  // namespace

// Two groups of four blocks side by side, so that the steps of one fill the
// other's waits on its products.
constexpr size_t kGroups = 2;

__attribute__((target("avx2"))) size_t decipher_avx2(unsigned char *data, size_t blocks,
                                                     unsigned char *chain, const Schedule &s,
                                                     const uint64_t *stream) {
    const uint64_t *K = s.k, *Ki = s.inv;
    __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(chain));
    size_t n = 0;
    for (; n + kGroups * kLanes <= blocks; n += kGroups * kLanes) {
        unsigned char *at = data + n * kBlockBytes;
        __m256i z[kGroups * 4], b0[kGroups], b1[kGroups], b2[kGroups], b3[kGroups];
        for (size_t g = 0; g < kGroups; g++) {
            __m256i w[4];
            for (int i = 0; i < 4; i++)
                z[4 * g + i] = _mm256_loadu_si256(
                    reinterpret_cast<const __m256i *>(at + kBlockBytes * (4 * g + i)));
            transpose(z + 4 * g, w);
            b0[g] = x(low_mix_fold(odd_mul(w[0], Ki[0]), w[1]), K[0]);
            b1[g] = w[1];
            b2[g] = w[2];
            b3[g] = w[3];
        }
        for (int r = 4; r >= 0; r--) {
            const uint64_t *k = K + 4 * r;
            const uint64_t *ki = Ki + 4 * r;
            for (size_t g = 0; g < kGroups; g++) {
                b0[g] = _mm256_xor_si256(b0[g], b3[g]);
                b3[g] = x(high_mix_fold(odd_mul(b3[g], ki[3]), b2[g]), k[3]);
                b3[g] = _mm256_xor_si256(b3[g], b2[g]);
                b2[g] = x(high_mix_fold(odd_mul(b2[g], ki[2]), b1[g]), k[2]);
                b2[g] = _mm256_xor_si256(b2[g], b1[g]);
                b1[g] = x(low_mix_fold(odd_mul(b1[g], ki[1]), b2[g]), k[1]);
                b1[g] = _mm256_xor_si256(b1[g], b0[g]);
                b0[g] = x(low_mix_fold(odd_mul(b0[g], ki[0]), b1[g]), k[0]);
            }
        }
        // Each block's previous ciphertext is the block before it as read.
        const __m256i *ks = reinterpret_cast<const __m256i *>(stream + n * kStreamWords);
        for (size_t g = 0; g < kGroups; g++) {
            const __m256i w[4] = {b0[g], b1[g], b2[g], b3[g]};
            __m256i p[4];
            transpose(w, p);
            for (size_t i = 0; i < 4; i++) {
                const size_t j = 4 * g + i;
                const __m256i out = _mm256_xor_si256(
                    _mm256_xor_si256(p[i], _mm256_loadu_si256(ks + j)), j == 0 ? before : z[j - 1]);
                _mm256_storeu_si256(reinterpret_cast<__m256i *>(at + kBlockBytes * j), out);
            }
        }
        before = z[kGroups * 4 - 1];
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(chain), before);
    return n;
}

}  // namespace quill::cipher
