// Arithmetic in GF(2^1279) with field polynomial f = x^1279 + x^418 + 1.
//
// Elements are 40 little-endian 32-bit limbs; bit j of limb i is the
// coefficient of x^(32i+j). Multiplication is a carry-less Karatsuba product
// down to 64-bit words followed by one reduction pass; squaring spreads bits
// instead of multiplying. Every routine accepts any 1280-bit pattern (bit 1279
// set or not) and returns reduced elements (bit 31 of limb 39 clear).
//
// This file holds the portable code, the reference for every faster path,
// and the choice between them: where the processor multiplies carry-less
// (field_clmul.cpp), products and squares take that path instead.
#include <cstring>

#include "cpu.h"
#include "numbers/gf.h"
#include "quillcore.h"

namespace {

constexpr int kLimbs = QUILL_LIMBS;  // 40

// Products are formed on 64-bit words, two limbs each (the lower limb in the
// low half). Karatsuba down to 64-bit words makes a 1280-bit product out of
// 126 word products (14 products of 4 words, 9 word products each), instead of
// 378 products of 32-bit words. A carry-less product is unique, so the limbs
// that come out do not depend on the word size used inside.

// Carry-less 64 x 64 -> 128 bits: lo, hi.
inline void mul64(uint64_t a, uint64_t b, uint64_t &lo, uint64_t &hi) {
    // Multiples of the low 61 bits of a by every polynomial of degree < 4;
    // each stays below 2^64.
    const uint64_t a61 = a & 0x1FFFFFFFFFFFFFFFu;
    uint64_t t[16];
    t[0] = 0;
    t[1] = a61;
    t[2] = a61 << 1;
    t[4] = a61 << 2;
    t[8] = a61 << 3;
    t[3] = t[2] ^ t[1];
    t[5] = t[4] ^ t[1];
    t[6] = t[4] ^ t[2];
    t[7] = t[4] ^ t[3];
    for (int i = 1; i < 8; i++) t[8 + i] = t[8] ^ t[i];

    // Nibble k of b contributes t[nibble] x^(4k). The terms are independent
    // of each other, so the unrolled loop has no serial chain.
    uint64_t l = t[b & 15], h = 0;
#pragma GCC unroll 16
    for (int k = 4; k < 64; k += 4) {
        const uint64_t v = t[(b >> k) & 15];
        l ^= v << k;
        h ^= v >> (64 - k);
    }
    // Bits 61..63 of a, left out of the table: add b x^j for each set one.
#pragma GCC unroll 3
    for (int j = 61; j < 64; j++) {
        const uint64_t m = 0 - ((a >> j) & 1);
        l ^= (b << j) & m;
        h ^= (b >> (64 - j)) & m;
    }
    lo = l;
    hi = h;
}

// One Karatsuba level: p[0..2n-1] <- a[0..n-1] b[0..n-1] for n = 2, 4 words,
// from three products of h = n/2 words: p = L + x^(64h) Z + x^(128h) H with
// Z = (aL + aH)(bL + bH) + L + H.
void mul2(const uint64_t *a, const uint64_t *b, uint64_t *p) {
    uint64_t ml, mh;
    mul64(a[0], b[0], p[0], p[1]);
    mul64(a[1], b[1], p[2], p[3]);
    mul64(a[0] ^ a[1], b[0] ^ b[1], ml, mh);
    ml ^= p[0] ^ p[2];
    mh ^= p[1] ^ p[3];
    p[1] ^= ml;
    p[2] ^= mh;
}

void mul4(const uint64_t *a, const uint64_t *b, uint64_t *p) {
    const uint64_t sa[2] = {a[0] ^ a[2], a[1] ^ a[3]};
    const uint64_t sb[2] = {b[0] ^ b[2], b[1] ^ b[3]};
    uint64_t z[4];
    mul2(a, b, p);
    mul2(a + 2, b + 2, p + 4);
    mul2(sa, sb, z);
    for (int i = 0; i < 4; i++) z[i] ^= p[i] ^ p[i + 4];
    for (int i = 0; i < 4; i++) p[i + 2] ^= z[i];
}

// 20 x 20 words: five blocks of 4 words per operand; 14 block products
// recover the nine coefficient blocks C0..C8 of the schoolbook product (C_k =
// sum of A_i B_j over i + j = k), which overlap by 4 words when placed at
// word 4k.
void mul20(const uint64_t *a, const uint64_t *b, uint64_t *p) {
    uint64_t P[5][8];
    for (int i = 0; i < 5; i++) mul4(a + 4 * i, b + 4 * i, P[i]);

    // X_ij = (A_i + A_j)(B_i + B_j) = P_i + P_j + (A_i B_j + A_j B_i).
    static const int pairs[8][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    uint64_t X[8][8];
    for (int k = 0; k < 8; k++) {
        const uint64_t *ai = a + 4 * pairs[k][0], *aj = a + 4 * pairs[k][1];
        const uint64_t *bi = b + 4 * pairs[k][0], *bj = b + 4 * pairs[k][1];
        const uint64_t sa[4] = {ai[0] ^ aj[0], ai[1] ^ aj[1], ai[2] ^ aj[2], ai[3] ^ aj[3]};
        const uint64_t sb[4] = {bi[0] ^ bj[0], bi[1] ^ bj[1], bi[2] ^ bj[2], bi[3] ^ bj[3]};
        mul4(sa, sb, X[k]);
    }
    uint64_t S[8];  // the product of the block sums: the sum of all nine C_k
    {
        uint64_t sa[4], sb[4];
        for (int l = 0; l < 4; l++) {
            sa[l] = a[l] ^ a[4 + l] ^ a[8 + l] ^ a[12 + l] ^ a[16 + l];
            sb[l] = b[l] ^ b[4 + l] ^ b[8 + l] ^ b[12 + l] ^ b[16 + l];
        }
        mul4(sa, sb, S);
    }

    enum { X01, X02, X03, X12, X14, X23, X24, X34 };
    uint64_t C[9][8];
    for (int l = 0; l < 8; l++) {
        const uint64_t p0 = P[0][l], p1 = P[1][l], p2 = P[2][l], p3 = P[3][l], p4 = P[4][l];
        C[0][l] = p0;
        C[1][l] = X[X01][l] ^ p0 ^ p1;
        C[2][l] = X[X02][l] ^ p0 ^ p1 ^ p2;
        C[3][l] = X[X03][l] ^ X[X12][l] ^ p0 ^ p1 ^ p2 ^ p3;
        C[5][l] = X[X14][l] ^ X[X23][l] ^ p1 ^ p2 ^ p3 ^ p4;
        C[6][l] = X[X24][l] ^ p2 ^ p3 ^ p4;
        C[7][l] = X[X34][l] ^ p3 ^ p4;
        C[8][l] = p4;
        C[4][l] =
            S[l] ^ C[0][l] ^ C[1][l] ^ C[2][l] ^ C[3][l] ^ C[5][l] ^ C[6][l] ^ C[7][l] ^ C[8][l];
    }

    // The even blocks tile p without overlap (C4 over cleared words 16..23);
    // the odd blocks then straddle them.
    for (int l = 0; l < 8; l++) {
        p[l] = C[0][l];
        p[8 + l] = C[2][l];
        p[16 + l] = 0;
        p[24 + l] = C[6][l];
        p[32 + l] = C[8][l];
    }
    for (int l = 0; l < 8; l++) {
        p[4 + l] ^= C[1][l];
        p[12 + l] ^= C[3][l];
        p[20 + l] ^= C[5][l];
        p[28 + l] ^= C[7][l];
        p[16 + l] ^= C[4][l];
    }
}

// Limbs 2i, 2i+1 <-> word i.
inline void to_words(const uint32_t *a, uint64_t *w, int words) {
    for (int i = 0; i < words; i++) w[i] = a[2 * i] | uint64_t(a[2 * i + 1]) << 32;
}

inline void to_limbs(const uint64_t *w, uint32_t *a, int words) {
    for (int i = 0; i < words; i++) {
        a[2 * i] = uint32_t(w[i]);
        a[2 * i + 1] = uint32_t(w[i] >> 32);
    }
}

// The carry-less product on 64-bit words of one word each.
void mul1(const uint64_t *a, const uint64_t *b, uint64_t *p) {
    mul64(a[0], b[0], p[0], p[1]);
}

// A product of n-word operands (2n limbs each) through the 32-bit limbs of
// the interface: p gets 4n limbs.
template <int n, void (*mul)(const uint64_t *, const uint64_t *, uint64_t *)>
void limb_product(const uint32_t *a, const uint32_t *b, uint32_t *p) {
    uint64_t wa[n], wb[n], w[2 * n];
    to_words(a, wa, n);
    to_words(b, wb, n);
    mul(wa, wb, w);
    to_limbs(w, p, 2 * n);
}

// 32-bit window of p starting at bit 32k + s (0 < s < 32).
inline uint32_t window(const uint32_t *p, int k, int s) {
    return (p[k] >> s) | (p[k + 1] << (32 - s));
}

// Bit j of the 16-bit v moved to bit 2j; odd bits zero.
inline uint32_t spread_even(uint32_t v) {
    uint32_t t = v;
    t = ((t & 0x0000FF00u) << 8) ^ (t & 0x000000FFu);
    t = ((t & 0x00F000F0u) << 4) ^ (t & 0x000F000Fu);
    t = ((t & 0x0C0C0C0Cu) << 2) ^ (t & 0x03030303u);
    t = ((t & 0x22222222u) << 1) ^ (t & 0x11111111u);
    return t;
}

// x^1279 = x^418 + 1 (mod f): the bit at 1279 + m moves to m and to 418 + m.
void reduce_limbs(uint32_t *p) {
    // Bits the windows below never reach: bit 2559 (to 1280) and bits
    // 2557..2559 (to 1696..1698). Zero for products of reduced elements.
    p[40] ^= p[79] >> 31;
    p[53] ^= p[79] >> 29;

    // Downwards, so that what the second fold drops into limbs 40..52 (i >= 27)
    // and into bit 31 of limb 39 (i = 26) is folded again by a later i.
    for (int i = 39; i >= 0; i--) {
        p[i] ^= window(p, i + 39, 31);       // bits 1279+32i.. move down by 1279
        p[i + 13] ^= window(p, i + 39, 29);  // bits 1277+32i.. move down by 861
        p[i + 40] = 0;
    }
    // i = 0 also moved bits 1277 and 1278, which are below x^1279 and stay
    // where they are: put back what it XORed into bits 416 and 417.
    p[13] ^= (p[39] & 0x7FFFFFFFu) >> 29;
    p[39] &= 0x7FFFFFFFu;
}

const auto product_limbs = limb_product<20, mul20>;

// x^shift a^2 over GF(2): (sum c_j x^j)^2 = sum c_j x^(2j). The spread puts
// every bit at an even position, so shifting each limb by one never carries
// into the next limb.
void square_limbs(uint32_t *a, uint32_t shift) {
    uint32_t t[2 * kLimbs];
    for (int i = 0; i < kLimbs; i++) {
        t[2 * i] = spread_even(a[i] & 0xFFFF) << shift;
        t[2 * i + 1] = spread_even(a[i] >> 16) << shift;
    }
    reduce_limbs(t);
    std::memcpy(a, t, kLimbs * sizeof(uint32_t));
}

void words_to_limbs(const uint64_t *w, uint32_t *a) {
    to_limbs(w, a, quill::gf::kWords);
}

void limbs_to_words(const uint32_t *a, uint64_t *w) {
    to_words(a, w, quill::gf::kWords);
}

}  // namespace

namespace quill::gf {

void portable::mul(const uint64_t *a, const uint64_t *b, uint64_t *out) {
    uint32_t la[kLimbs], lb[kLimbs], p[2 * kLimbs];
    words_to_limbs(a, la);
    words_to_limbs(b, lb);
    product_limbs(la, lb, p);
    reduce_limbs(p);
    limbs_to_words(p, out);
}

void portable::sqr(uint64_t *a, uint64_t shift) {
    uint32_t la[kLimbs];
    words_to_limbs(a, la);
    square_limbs(la, uint32_t(shift));
    limbs_to_words(la, a);
}

void mul(const uint64_t *a, const uint64_t *b, uint64_t *out) {
    const cpu::Features &f = cpu::features();
    if (!f.clmul) return portable::mul(a, b, out);
    uint64_t p[2 * kWords];
    if (f.vclmul)
        clmul::product_wide(a, b, p);
    else
        clmul::product(a, b, p);
    reduce(p);
    std::memcpy(out, p, kWords * sizeof(uint64_t));
}

void sqr(uint64_t *a, uint64_t shift) {
    if (!cpu::features().clmul) return portable::sqr(a, shift);
    const uint32_t e[1] = {uint32_t(shift)};
    clmul::x_power(e, 1, a);
}

void sqr_times(uint64_t *a, int count) {
    if (!cpu::features().clmul) {
        for (int i = 0; i < count; i++) portable::sqr(a, 0);
        return;
    }
    clmul::square_times(a, count);
}

void x_power(const uint32_t *e, int bits, uint64_t *r) {
    if (!cpu::features().clmul) {
        for (int n = bits - 1; n >= 0; n--) portable::sqr(r, (e[n / 32] >> (n % 32)) & 1);
        return;
    }
    clmul::x_power(e, bits, r);
}

}  // namespace quill::gf

void seki1(uint32_t a, uint32_t b, uint32_t *p) {
    uint64_t lo, hi;
    mul64(a, b, lo, hi);  // below 2^63: hi is 0
    p[0] = uint32_t(lo);
    p[1] = uint32_t(lo >> 32);
}

void seki2(const uint32_t *a, const uint32_t *b, uint32_t *p) {
    limb_product<1, mul1>(a, b, p);
}

void seki4(const uint32_t *a, const uint32_t *b, uint32_t *p) {
    limb_product<2, mul2>(a, b, p);
}

void seki8(const uint32_t *a, const uint32_t *b, uint32_t *p) {
    limb_product<4, mul4>(a, b, p);
}

void seki40(const uint32_t *a, const uint32_t *b, uint32_t *p) {
    if (!quill::cpu::features().clmul) return product_limbs(a, b, p);
    uint64_t wa[quill::gf::kWords], wb[quill::gf::kWords], w[2 * quill::gf::kWords];
    limbs_to_words(a, wa);
    limbs_to_words(b, wb);
    quill::gf::clmul::product(wa, wb, w);
    to_limbs(w, p, 2 * quill::gf::kWords);
}

void sekiamari(uint32_t *p) {
    if (!quill::cpu::features().clmul) return reduce_limbs(p);
    uint64_t w[2 * quill::gf::kWords];
    to_words(p, w, 2 * quill::gf::kWords);
    quill::gf::reduce(w);
    to_limbs(w, p, 2 * quill::gf::kWords);
}

void seki(const uint32_t *a, const uint32_t *b, uint32_t *out) {
    uint64_t wa[quill::gf::kWords], wb[quill::gf::kWords];
    limbs_to_words(a, wa);
    limbs_to_words(b, wb);
    quill::gf::mul(wa, wb, wa);
    words_to_limbs(wa, out);
}

void nijyou(uint32_t *a) {
    uint64_t w[quill::gf::kWords];
    limbs_to_words(a, w);
    quill::gf::sqr(w, 0);
    words_to_limbs(w, a);
}

// x a^2: the same spread, one position higher. Bit 1279 of a lands on bit
// 2559, which the reduction folds separately.
void nijyoux(uint32_t *a) {
    uint64_t w[quill::gf::kWords];
    limbs_to_words(a, w);
    quill::gf::sqr(w, 1);
    words_to_limbs(w, a);
}
