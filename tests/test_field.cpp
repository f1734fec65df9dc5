// GF(2^1279) products, reduction and squares, checked against a shift-and-XOR
// product and a bit-by-bit remainder written here.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "quillcore.h"

namespace {

using Limbs = std::vector<uint32_t>;

void flip(Limbs &p, int k) {
    p[k / 32] ^= uint32_t(1) << (k % 32);
}
bool bit(const Limbs &p, int k) {
    return (p[k / 32] >> (k % 32)) & 1;
}

// b shifted to every set bit of a, XORed together.
Limbs clmul(const Limbs &a, const Limbs &b) {
    Limbs p(a.size() + b.size(), 0);
    for (int k = 0; k < 32 * int(a.size()); k++) {
        if (!bit(a, k)) continue;
        for (size_t i = 0; i < b.size(); i++) {
            p[k / 32 + i] ^= b[i] << (k % 32);
            if (k % 32) p[k / 32 + i + 1] ^= b[i] >> (32 - k % 32);
        }
    }
    return p;
}

// Remainder modulo x^1279 + x^418 + 1, clearing the highest set bit first.
Limbs poly_mod(Limbs p) {
    for (int k = 32 * int(p.size()) - 1; k >= 1279; k--) {
        if (!bit(p, k)) continue;
        flip(p, k);
        flip(p, k - 1279);
        flip(p, k - 1279 + 418);
    }
    p.resize(QUILL_LIMBS);
    return p;
}

Limbs monomial(int k, size_t n = QUILL_LIMBS) {
    Limbs p(n, 0);
    flip(p, k);
    return p;
}

Limbs random_limbs(std::mt19937 &rng, size_t n) {
    Limbs p(n);
    for (auto &w : p) w = uint32_t(rng());  // bit 1279 set half of the time
    return p;
}

// Every size of the product family; all-ones operands make every partial
// product of the Karatsuba levels and of the 14-product split non-zero.
TEST(CarryLess, EverySizeMatchesShiftXor) {
    using Fn = void (*)(const uint32_t *, const uint32_t *, uint32_t *);
    const Fn one = [](const uint32_t *a, const uint32_t *b, uint32_t *p) { seki1(*a, *b, p); };
    const std::pair<Fn, size_t> sizes[] = {
        {one, 1}, {seki2, 2}, {seki4, 4}, {seki8, 8}, {seki40, 40}};
    std::mt19937 rng(11);
    for (auto [fn, n] : sizes) {
        for (int t = 0; t < (n == 40 ? 60 : 500); t++) {
            const Limbs a = t == 0 ? Limbs(n, 0xFFFFFFFFu) : random_limbs(rng, n);
            const Limbs b = t == 0 ? Limbs(n, 0xFFFFFFFFu) : random_limbs(rng, n);
            Limbs p(2 * n);
            fn(a.data(), b.data(), p.data());
            ASSERT_EQ(p, clmul(a, b)) << n << " limbs, case " << t;
        }
    }
    uint32_t p[2];
    seki1(0xFFFFFFFFu, 0xFFFFFFFFu, p);  // only even powers have an odd count
    EXPECT_EQ(p[0], 0x55555555u);
    EXPECT_EQ(p[1], 0x55555555u);
}

// Single bits from 1277 up cover every window edge of the folds, the three
// top bits of limb 79 and bits 1277..1278, which must stay where they are.
TEST(Sekiamari, MatchesBitwiseRemainder) {
    std::mt19937 rng(12);
    std::vector<Limbs> cases = {Limbs(2 * QUILL_LIMBS, 0xFFFFFFFFu)};
    for (int k = 1277; k < 2560; k++) cases.push_back(monomial(k, 2 * QUILL_LIMBS));
    for (int t = 0; t < 200; t++) cases.push_back(random_limbs(rng, 2 * QUILL_LIMBS));
    for (const Limbs &c : cases) {
        Limbs p = c;
        sekiamari(p.data());
        Limbs want = poly_mod(c);
        want.resize(2 * QUILL_LIMBS, 0);  // limbs 40..79 end cleared
        ASSERT_EQ(p, want);
    }
}

TEST(Seki, KnownAnswers) {
    Limbs r(QUILL_LIMBS), x418_1(QUILL_LIMBS, 0);  // x^1279 * 1 = x^418 + 1
    x418_1[0] = 1;
    x418_1[13] = 4;
    seki(monomial(1279).data(), monomial(0).data(), r.data());
    EXPECT_EQ(r, x418_1);
    r = monomial(0);
    nijyou(r.data());
    EXPECT_EQ(r, monomial(0));
    nijyoux(r.data());
    EXPECT_EQ(r, monomial(1));
}

// Products and squares of random and all-ones operands (bit 1279 set or not)
// against the model, which also shows bit 1279 of every result clear; the
// output may be an operand.
TEST(Seki, ProductsAndSquaresMatchModel) {
    std::mt19937 rng(14);
    std::vector<Limbs> ops = {Limbs(QUILL_LIMBS, 0xFFFFFFFFu), monomial(1279)};
    for (int t = 0; t < 40; t++) ops.push_back(random_limbs(rng, QUILL_LIMBS));
    for (size_t t = 0; t < ops.size(); t++) {
        const Limbs &a = ops[t], &b = ops[(t + 1) % ops.size()];
        const Limbs ab = poly_mod(clmul(a, b)), aa = poly_mod(clmul(a, a));
        Limbs r = a;
        seki(r.data(), b.data(), r.data());
        ASSERT_EQ(r, ab);
        r = b;
        seki(a.data(), r.data(), r.data());
        ASSERT_EQ(r, ab);
        r = a;
        nijyou(r.data());
        ASSERT_EQ(r, aa);
        r = a;
        nijyoux(r.data());  // bit 1279 of a lands on bit 2559 here
        ASSERT_EQ(r, poly_mod(clmul(monomial(1), aa)));
    }
}

}  // namespace
