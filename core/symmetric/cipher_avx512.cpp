// Deciphering eight blocks at a time in 512-bit registers (AVX-512F with the
// 64-bit multiplication of AVX-512DQ): word i of eight blocks side by side
// in one register, every step of the rounds taken in all eight lanes. The
// steps are those of the portable code, so are the results.
// GCC 12's own AVX-512 headers start results from _mm512_undefined_epi32,
// which its warnings then take for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "symmetric/cipher.h"

namespace quill::cipher {

namespace {

constexpr size_t kLanes = 8;

#define QUILL_AVX512 __attribute__((target("avx512f,avx512dq"), always_inline)) inline

QUILL_AVX512 __m512i odd_mul(__m512i b, uint64_t k) {
    return _mm512_add_epi64(_mm512_mullo_epi64(b, _mm512_set1_epi64((long long)(2 * k + 1))),
                            _mm512_set1_epi64((long long)k));
}

QUILL_AVX512 __m512i fold(__m512i b) {
    return _mm512_xor_si512(_mm512_xor_si512(b, _mm512_srli_epi64(b, 48)),
                            _mm512_srli_epi64(b, 32));
}

QUILL_AVX512 __m512i low_mix_fold(__m512i b, __m512i n) {
    return _mm512_xor_si512(fold(b),
                            _mm512_slli_epi64(_mm512_and_si512(n, _mm512_set1_epi64(0xFFFF)), 16));
}

QUILL_AVX512 __m512i high_mix_fold(__m512i b, __m512i &p) {
    p = _mm512_xor_si512(
        p, _mm512_slli_epi64(_mm512_and_si512(_mm512_srli_epi64(b, 32), _mm512_set1_epi64(0xFFFF)),
                             48));
    return fold(b);
}

QUILL_AVX512 __m512i x(__m512i a, uint64_t k) {
    return _mm512_xor_si512(a, _mm512_set1_epi64((long long)k));
}

QUILL_AVX512 __m512i idx(long long a, long long b, long long c, long long d, long long e,
                         long long f, long long g, long long h) {
    return _mm512_set_epi64(h, g, f, e, d, c, b, a);
}

// Eight blocks as four registers of two blocks each, to word i of every
// block in register i, and back.
QUILL_AVX512 void to_columns(const __m512i *z, __m512i *w) {
    const __m512i lo = idx(0, 4, 8, 12, 1, 5, 9, 13), hi = idx(2, 6, 10, 14, 3, 7, 11, 15);
    const __m512i t0 = _mm512_permutex2var_epi64(z[0], lo, z[1]);
    const __m512i t1 = _mm512_permutex2var_epi64(z[0], hi, z[1]);
    const __m512i t2 = _mm512_permutex2var_epi64(z[2], lo, z[3]);
    const __m512i t3 = _mm512_permutex2var_epi64(z[2], hi, z[3]);
    const __m512i first = idx(0, 1, 2, 3, 8, 9, 10, 11), second = idx(4, 5, 6, 7, 12, 13, 14, 15);
    w[0] = _mm512_permutex2var_epi64(t0, first, t2);
    w[1] = _mm512_permutex2var_epi64(t0, second, t2);
    w[2] = _mm512_permutex2var_epi64(t1, first, t3);
    w[3] = _mm512_permutex2var_epi64(t1, second, t3);
}

QUILL_AVX512 void to_blocks(const __m512i *w, __m512i *z) {
    const __m512i first = idx(0, 1, 2, 3, 8, 9, 10, 11), second = idx(4, 5, 6, 7, 12, 13, 14, 15);
    const __m512i t0 = _mm512_permutex2var_epi64(w[0], first, w[1]);
    const __m512i t2 = _mm512_permutex2var_epi64(w[0], second, w[1]);
    const __m512i t1 = _mm512_permutex2var_epi64(w[2], first, w[3]);
    const __m512i t3 = _mm512_permutex2var_epi64(w[2], second, w[3]);
    const __m512i lo = idx(0, 4, 8, 12, 1, 5, 9, 13), hi = idx(2, 6, 10, 14, 3, 7, 11, 15);
    z[0] = _mm512_permutex2var_epi64(t0, lo, t1);
    z[1] = _mm512_permutex2var_epi64(t0, hi, t1);
    z[2] = _mm512_permutex2var_epi64(t2, lo, t3);
    z[3] = _mm512_permutex2var_epi64(t2, hi, t3);
}

#undef QUILL_AVX512

}  // namespace

__attribute__((target("avx512f,avx512dq"))) size_t decipher_wide(unsigned char *data, size_t blocks,
                                                                 unsigned char *chain,
                                                                 const Schedule &s,
                                                                 const uint64_t *stream) {
    const uint64_t *K = s.k, *Ki = s.inv;
    // The ciphertext before the group in the upper half (words 4..7).
    __m512i before = _mm512_inserti64x4(
        _mm512_setzero_si512(), _mm256_loadu_si256(reinterpret_cast<const __m256i *>(chain)), 1);
    size_t n = 0;
    for (; n + kLanes <= blocks; n += kLanes) {
        unsigned char *at = data + n * kBlockBytes;
        __m512i z[4], w[4];
        for (int i = 0; i < 4; i++) z[i] = _mm512_loadu_si512(at + 64 * i);
        to_columns(z, w);
        __m512i b0 = w[0], b1 = w[1], b2 = w[2], b3 = w[3];
        b0 = x(low_mix_fold(odd_mul(b0, Ki[0]), b1), K[0]);
        for (int r = 4; r >= 0; r--) {
            const uint64_t *k = K + 4 * r;
            const uint64_t *ki = Ki + 4 * r;
            b0 = _mm512_xor_si512(b0, b3);
            b3 = x(high_mix_fold(odd_mul(b3, ki[3]), b2), k[3]);
            b3 = _mm512_xor_si512(b3, b2);
            b2 = x(high_mix_fold(odd_mul(b2, ki[2]), b1), k[2]);
            b2 = _mm512_xor_si512(b2, b1);
            b1 = x(low_mix_fold(odd_mul(b1, ki[1]), b2), k[1]);
            b1 = _mm512_xor_si512(b1, b0);
            b0 = x(low_mix_fold(odd_mul(b0, ki[0]), b1), k[0]);
        }
        w[0] = b0;
        w[1] = b1;
        w[2] = b2;
        w[3] = b3;
        __m512i p[4];
        to_blocks(w, p);
        // Each block's previous ciphertext: the registers moved by one block.
        const __m512i *ks = reinterpret_cast<const __m512i *>(stream + n * kStreamWords);
        for (int i = 0; i < 4; i++) {
            const __m512i prev = _mm512_alignr_epi64(z[i], i == 0 ? before : z[i - 1], 4);
            const __m512i out =
                _mm512_xor_si512(_mm512_xor_si512(p[i], _mm512_loadu_si512(ks + i)), prev);
            _mm512_storeu_si512(at + 64 * i, out);
        }
        before = z[3];
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(chain), _mm512_extracti64x4_epi64(before, 1));
    return n;
}

}  // namespace quill::cipher
