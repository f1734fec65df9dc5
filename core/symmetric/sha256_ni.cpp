// SHA-256 compression with the processor's SHA extensions. The eight state
// words live in two registers in the order the instructions want (A B E F
// and C D G H); each sha256rnds2 runs two rounds, and sha256msg1/msg2 extend
// the message schedule four words at a time.
#include <immintrin.h>

#include "symmetric/sha256.h"

namespace quill {

namespace {

alignas(16) const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

}  // namespace

__attribute__((target("sha,sse4.1,ssse3"))) void sha256_blocks_ni(uint32_t *state,
                                                                  const unsigned char *data,
                                                                  size_t blocks) {
    // Message words are big-endian: reverse the bytes of each 32-bit word.
    const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    // H0..H3 and H4..H7 as A B E F and C D G H (highest lane first).
    __m128i t = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(state)), 0xB1);
    __m128i s1 =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(state + 4)), 0x1B);
    __m128i s0 = _mm_alignr_epi8(t, s1, 8);
    s1 = _mm_blend_epi16(s1, t, 0xF0);

    for (size_t n = 0; n < blocks; n++, data += 64) {
        const __m128i save0 = s0, save1 = s1;
        __m128i w[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; g++) {
            __m128i &m = w[g % 4];
            if (g < 4) {
                m = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + 16 * g)), swap);
            } else {
                // W[t-16] + s0(W[t-15]), then + W[t-7], then + s1(W[t-2]).
                const __m128i x = _mm_add_epi32(_mm_sha256msg1_epu32(m, w[(g + 1) % 4]),
                                                _mm_alignr_epi8(w[(g + 3) % 4], w[(g + 2) % 4], 4));
                m = _mm_sha256msg2_epu32(x, w[(g + 3) % 4]);
            }
            __m128i k =
                _mm_add_epi32(m, _mm_load_si128(reinterpret_cast<const __m128i *>(kRound + 4 * g)));
            s1 = _mm_sha256rnds2_epu32(s1, s0, k);
            k = _mm_shuffle_epi32(k, 0x0E);
            s0 = _mm_sha256rnds2_epu32(s0, s1, k);
        }
        s0 = _mm_add_epi32(s0, save0);
        s1 = _mm_add_epi32(s1, save1);
    }

    // Back to H0..H3, H4..H7.
    t = _mm_shuffle_epi32(s0, 0x1B);
    s1 = _mm_shuffle_epi32(s1, 0xB1);
    s0 = _mm_blend_epi16(t, s1, 0xF0);
    s1 = _mm_alignr_epi8(s1, t, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state), s0);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(state + 4), s1);
}

}  // namespace quill
