// SHA-256 compression with the processor's SHA extensions. The eight state
// words live in two registers in the order the instructions want (A B E F
// and C D G H); each sha256rnds2 runs two rounds, and sha256msg1/msg2 extend
// the message schedule four words at a time.
#include <immintrin.h>

#include "symmetric/sha256.h"

namespace quill {

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
            __m128i k = _mm_add_epi32(
                m, _mm_loadu_si128(reinterpret_cast<const __m128i *>(kSha256Rounds + 4 * g)));
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
