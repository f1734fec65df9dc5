// Carry-less products in GF(2^1279) with the processor's own instructions:
// PCLMULQDQ multiplies two 64-bit words into 128 bits, VPCLMULQDQ does two
// such products in each 128-bit lane of a 256-bit register. Both are
// schoolbook products over 64-bit words; a carry-less product is unique, so
// they give exactly the words of the portable Karatsuba product. The word
// reduction below serves every fast path.
#include <immintrin.h>

#include "numbers/gf.h"

namespace quill::gf {

namespace {

constexpr int kPairs = kWords / 2;  // 10 pairs of words per operand

}  // namespace

// Pair i of a times pair j of b (two words each) is a0 b0 + x^64 (a0 b1 +
// a1 b0) + x^128 a1 b1, and the middle term is (a0 + a1)(b0 + b1) + a0 b0 +
// a1 b1: three word products instead of four. The product is summed column
// by column (all i + j = m), so every sum stays in a register: column m
// gives e0 (the a0 b0 at pair m), e1 (the a1 b1 at pair m + 1) and the
// middle terms at word 2m + 1, straddling pairs m and m + 1.
__attribute__((target("pclmul,sse4.1"))) void clmul::product(const uint64_t *a, const uint64_t *b,
                                                             uint64_t *p) {
    __m128i A[kPairs], B[kPairs], As[kPairs], Bs[kPairs];
#pragma GCC unroll 10
    for (int i = 0; i < kPairs; i++) {
        A[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + 2 * i));
        B[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + 2 * i));
        As[i] = A[i] ^ _mm_srli_si128(A[i], 8);
        Bs[i] = B[i] ^ _mm_srli_si128(B[i], 8);
    }
    __m128i prev11 = _mm_setzero_si128(), carry = _mm_setzero_si128();
#pragma GCC unroll 19
    for (int m = 0; m < 2 * kPairs - 1; m++) {
        __m128i e0 = _mm_setzero_si128(), e1 = e0, s = e0;
        const int lo = m < kPairs ? 0 : m - kPairs + 1, hi = m < kPairs ? m : kPairs - 1;
#pragma GCC unroll 10
        for (int i = lo; i <= hi; i++) {
            e0 ^= _mm_clmulepi64_si128(A[i], B[m - i], 0x00);
            e1 ^= _mm_clmulepi64_si128(A[i], B[m - i], 0x11);
            s ^= _mm_clmulepi64_si128(As[i], Bs[m - i], 0x00);
        }
        const __m128i middle = s ^ e0 ^ e1;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 2 * m),
                         e0 ^ prev11 ^ carry ^ _mm_slli_si128(middle, 8));
        prev11 = e1;
        carry = _mm_srli_si128(middle, 8);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 2 * (2 * kPairs - 1)), prev11 ^ carry);
}

// The same columns two at a time: lane 0 of each 256-bit sum works on
// column m, lane 1 on column m + 1, against pair i of a in both lanes. The
// pairs of b are padded with a zero pair on either side, so that a lane
// whose pair of b lies outside 0..9 adds nothing.
__attribute__((target("avx2,vpclmulqdq,pclmul"))) void clmul::product_wide(const uint64_t *a,
                                                                           const uint64_t *b,
                                                                           uint64_t *p) {
    __m128i bp[kPairs + 2], bs[kPairs + 2];  // bp[j + 1] is pair j of b
    bp[0] = bp[kPairs + 1] = _mm_setzero_si128();
#pragma GCC unroll 10
    for (int j = 0; j < kPairs; j++)
        bp[j + 1] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + 2 * j));
#pragma GCC unroll 12
    for (int j = 0; j < kPairs + 2; j++) bs[j] = bp[j] ^ _mm_srli_si128(bp[j], 8);
    __m256i A[kPairs], As[kPairs];
#pragma GCC unroll 10
    for (int i = 0; i < kPairs; i++) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + 2 * i));
        A[i] = _mm256_broadcastsi128_si256(v);
        As[i] = _mm256_broadcastsi128_si256(v ^ _mm_srli_si128(v, 8));
    }
    __m128i prev11 = _mm_setzero_si128(), carry = _mm_setzero_si128();
#pragma GCC unroll 10
    for (int m = 0; m < 2 * kPairs; m += 2) {
        __m256i e0 = _mm256_setzero_si256(), e1 = e0, s = e0;
        const int lo = m - (kPairs - 1) > 0 ? m - (kPairs - 1) : 0;
        const int hi = m + 1 < kPairs - 1 ? m + 1 : kPairs - 1;
#pragma GCC unroll 11
        for (int i = lo; i <= hi; i++) {
            const __m256i B = _mm256_set_m128i(bp[m - i + 2], bp[m - i + 1]);
            const __m256i Bs = _mm256_set_m128i(bs[m - i + 2], bs[m - i + 1]);
            e0 ^= _mm256_clmulepi64_epi128(A[i], B, 0x00);
            e1 ^= _mm256_clmulepi64_epi128(A[i], B, 0x11);
            s ^= _mm256_clmulepi64_epi128(As[i], Bs, 0x00);
        }
#pragma GCC unroll 2
        for (int lane = 0; lane < 2; lane++) {
            const int m2 = m + lane;
            if (m2 == 2 * kPairs - 1) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 2 * m2), prev11 ^ carry);
                break;
            }
            const __m128i E0 = lane ? _mm256_extracti128_si256(e0, 1) : _mm256_castsi256_si128(e0);
            const __m128i E1 = lane ? _mm256_extracti128_si256(e1, 1) : _mm256_castsi256_si128(e1);
            const __m128i S = lane ? _mm256_extracti128_si256(s, 1) : _mm256_castsi256_si128(s);
            const __m128i middle = S ^ E0 ^ E1;
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 2 * m2),
                             E0 ^ prev11 ^ carry ^ _mm_slli_si128(middle, 8));
            prev11 = E1;
            carry = _mm_srli_si128(middle, 8);
        }
    }
}

// x^1279 = x^418 + 1 (mod f). With p = L + x^1279 H (L below x^1279, H of
// up to 1281 bits), p = L + H + x^418 H; that sum reaches at most bit 1698,
// so one more fold of its part G at or above x^1279 (at most 420 bits) gives
// G + x^418 G, below x^838: reduced. Every word is worked out independently
// of the others, so the steps run side by side.
void reduce(uint64_t *p) {
    constexpr int kH = kWords + 1;  // H: 21 words (bits 1279..2559 of p)
    uint64_t h[kH];
#pragma GCC unroll 32
    for (int j = 0; j < kWords; j++)
        h[j] = (p[19 + j] >> 63) | (j + 20 < 2 * kWords ? p[20 + j] << 1 : 0);
    h[kWords] = p[39] >> 63;
    p[19] &= ~(uint64_t(1) << 63);

    // U = L + H + x^418 H, 27 words; x^418 is 6 words and 34 bits.
    constexpr int kU = 27;
    uint64_t u[kU];
#pragma GCC unroll 32
    for (int k = 0; k < kU; k++) {
        uint64_t v = k < kWords ? p[k] : 0;
        if (k < kH) v ^= h[k];
        if (k >= 6 && k - 6 < kH) v ^= h[k - 6] << 34;
        if (k >= 7 && k - 7 < kH) v ^= h[k - 7] >> 30;
        u[k] = v;
    }
    // G = the bits of U at or above 1279: 8 words.
    constexpr int kG = 8;
    uint64_t g[kG];
#pragma GCC unroll 32
    for (int j = 0; j < kG; j++) g[j] = (u[19 + j] >> 63) | (20 + j < kU ? u[20 + j] << 1 : 0);
    u[19] &= ~(uint64_t(1) << 63);
#pragma GCC unroll 32
    for (int k = 0; k < kWords; k++) {
        uint64_t v = u[k];
        if (k < kG) v ^= g[k];
        if (k >= 6 && k - 6 < kG) v ^= g[k - 6] << 34;
        if (k >= 7 && k - 7 < kG) v ^= g[k - 7] >> 30;
        p[k] = v;
    }
    for (int k = kWords; k < 2 * kWords; k++) p[k] = 0;
}

namespace {

// Squaring and its reduction on 128-bit lanes, kept in registers: lane m
// holds words 2m and 2m + 1. The reduction is the one of reduce, two words
// at a time.
using Lanes = __m128i[kPairs];

// The 128-bit x shifted left by n (0 < n < 64) with the bits that leave
// prev (the lane below) coming in: alignr puts prev's upper word beside x's
// lower one.
template <int n>
__attribute__((target("pclmul,sse4.1"), always_inline)) inline __m128i shl(__m128i x,
                                                                           __m128i prev) {
    return _mm_slli_epi64(x, n) | _mm_srli_epi64(_mm_alignr_epi8(x, prev, 8), 64 - n);
}

// a <- x^shift a^2 mod f. Squaring over GF(2) is linear: word i of a becomes
// the 128 bits a_i^2 at word 2i; their odd bits are zero, so a shift by one
// position never crosses a word.
__attribute__((target("pclmul,sse4.1"), always_inline)) inline void square_lanes(Lanes a,
                                                                                 __m128i count) {
    const __m128i zero = _mm_setzero_si128();
    __m128i p[2 * kPairs];  // the square: words 0..39
#pragma GCC unroll 10
    for (int i = 0; i < kPairs; i++) {
        p[2 * i] = _mm_sll_epi64(_mm_clmulepi64_si128(a[i], a[i], 0x00), count);
        p[2 * i + 1] = _mm_sll_epi64(_mm_clmulepi64_si128(a[i], a[i], 0x11), count);
    }
    // H = p >> 1279 (lanes 0..10): lane j is p's lane 10 + j shifted up by
    // one, the top bit of lane 9 + j coming in.
    __m128i h[kPairs + 1];
#pragma GCC unroll 10
    for (int j = 0; j < kPairs; j++) h[j] = shl<1>(p[kPairs + j], p[kPairs - 1 + j]);
    h[kPairs] = _mm_srli_si128(_mm_srli_epi64(p[2 * kPairs - 1], 63), 8);
    const __m128i low_1279 = _mm_set_epi64x(0x7FFFFFFFFFFFFFFF, -1);
    // U = L + H + x^418 H, lanes 0..13; x^418 is three lanes and 34 bits.
    __m128i u[14];
#pragma GCC unroll 14
    for (int k = 0; k < 14; k++) {
        __m128i v = k < kPairs ? p[k] : zero;
        if (k == kPairs - 1) v &= low_1279;
        if (k <= kPairs) v ^= h[k];
        if (k >= 3 && k - 3 <= kPairs) v ^= shl<34>(h[k - 3], k >= 4 ? h[k - 4] : zero);
        u[k] = v;
    }
    // G = U >> 1279, at most 420 bits: lanes 0..3.
    __m128i g[4];
#pragma GCC unroll 4
    for (int j = 0; j < 4; j++) g[j] = shl<1>(u[kPairs + j], u[kPairs - 1 + j]);
#pragma GCC unroll 10
    for (int k = 0; k < kPairs; k++) {
        __m128i v = u[k];
        if (k == kPairs - 1) v &= low_1279;
        if (k < 4) v ^= g[k];
        if (k >= 3 && k - 3 < 4) v ^= shl<34>(g[k - 3], k >= 4 ? g[k - 4] : zero);
        if (k == 7) v ^= _mm_srli_epi64(_mm_alignr_epi8(zero, g[3], 8), 30);
        a[k] = v;
    }
}

__attribute__((target("pclmul,sse4.1"), always_inline)) inline void load_lanes(const uint64_t *w,
                                                                               Lanes a) {
    for (int i = 0; i < kPairs; i++)
        a[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * i));
}

__attribute__((target("pclmul,sse4.1"), always_inline)) inline void store_lanes(const Lanes a,
                                                                                uint64_t *w) {
    for (int i = 0; i < kPairs; i++) _mm_storeu_si128(reinterpret_cast<__m128i *>(w + 2 * i), a[i]);
}

}  // namespace

__attribute__((target("pclmul,sse4.1"))) void clmul::square_times(uint64_t *a, int count) {
    Lanes v;
    load_lanes(a, v);
    const __m128i none = _mm_setzero_si128();
    for (int n = 0; n < count; n++) square_lanes(v, none);
    store_lanes(v, a);
}

__attribute__((target("pclmul,sse4.1"))) void clmul::x_power(const uint32_t *e, int bits,
                                                             uint64_t *r) {
    Lanes v;
    load_lanes(r, v);
    for (int n = bits - 1; n >= 0; n--)
        square_lanes(v, _mm_cvtsi32_si128(int((e[n / 32] >> (n % 32)) & 1)));
    store_lanes(v, r);
}

}  // namespace quill::gf
