// Integers modulo M = 2^1279 - 1, checked against a schoolbook product and a
// Mersenne fold written here.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "quillcore.h"

namespace {

using Big = std::vector<uint32_t>;  // little-endian limbs, any length
using Num = std::array<uint32_t, QUILL_LIMBS>;

Big mul_big(const uint32_t *a, int na, const uint32_t *b, int nb) {
    Big p(na + nb, 0);
    for (int i = 0; i < na; i++) {
        uint64_t carry = 0;
        for (int j = 0; j < nb; j++) {
            const uint64_t t = uint64_t(a[i]) * b[j] + p[i + j] + carry;
            p[i + j] = uint32_t(t);
            carry = t >> 32;
        }
        p[i + nb] = uint32_t(carry);
    }
    return p;
}

Num order() {
    Num r;
    r.fill(0xFFFFFFFFu);
    r[39] = 0x7FFFFFFFu;
    return r;
}

// x mod M in 0..M-1: x = lo + 2^1279 hi = lo + hi (mod M), until hi is 0.
Num mod_m(Big x) {
    x.resize(std::max<size_t>(x.size(), QUILL_LIMBS) + 1, 0);
    for (bool more = true; more;) {
        Big hi(x.size(), 0);
        more = false;
        for (size_t k = 1279; k < 32 * x.size(); k++) {
            if (((x[k / 32] >> (k % 32)) & 1) == 0) continue;
            hi[(k - 1279) / 32] |= uint32_t(1) << ((k - 1279) % 32);
            more = true;
        }
        for (size_t i = QUILL_LIMBS; i < x.size(); i++) x[i] = 0;
        x[39] &= 0x7FFFFFFFu;
        uint64_t carry = 0;
        for (size_t i = 0; i < x.size(); i++, carry >>= 32)
            x[i] = uint32_t(carry += uint64_t(x[i]) + hi[i]);
    }
    Num r;
    std::copy(x.begin(), x.begin() + QUILL_LIMBS, r.begin());
    return r == order() ? Num{} : r;
}

// a - b = a + (M - 1) b (mod M).
Num model_sub(const Num &a, const Num &b) {
    Num m1 = order();
    m1[0] = 0xFFFFFFFEu;
    Big p = mul_big(b.data(), QUILL_LIMBS, m1.data(), QUILL_LIMBS);
    uint64_t carry = 0;
    for (size_t i = 0; i < p.size(); i++, carry >>= 32)
        p[i] = uint32_t(carry += uint64_t(p[i]) + (i < QUILL_LIMBS ? a[i] : 0));
    return mod_m(p);
}

Num small(uint32_t v) {
    Num r{};
    r[0] = v;
    return r;
}

Num random_num(std::mt19937 &rng) {
    Num r;
    for (auto &w : r) w = uint32_t(rng());
    r[39] &= 0x7FFFFFFFu;
    return r;
}

// A result lies in 0..M and is the residue; zero may come out as 0 or M.
::testing::AssertionResult is_residue(const Num &got, const Num &want) {
    if (got == want || (want == Num{} && got == order())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not the residue in 0..M";
}

Num call_mul(const Num &a, const uint32_t *b, int n) {
    Num r;
    seisuu_seki(a.data(), b, r.data(), n);
    return r;
}

Num call_sub(const Num &a, const Num &b) {
    Num r;
    seisuu_sa(a.data(), b.data(), r.data());
    return r;
}

TEST(SeisuuSeki, KnownAnswers) {
    std::mt19937 rng(31);
    const Num a = random_num(rng), b = random_num(rng);
    const uint32_t one = 1, zero = 0;
    EXPECT_EQ(call_mul(a, &one, 1), a);
    EXPECT_EQ(call_mul(order(), &one, 1), order());
    EXPECT_EQ(call_mul(a, &zero, 1), Num{});
    // A count outside 1..40 stays inside the arrays: below 1 is an empty
    // multiplier, above 40 uses 40 limbs.
    EXPECT_EQ(call_mul(a, b.data(), 0), Num{});
    EXPECT_EQ(call_mul(a, b.data(), -5), Num{});
    EXPECT_EQ(call_mul(a, b.data(), 41), call_mul(a, b.data(), 40));
}

// The signing multiplier (8 limbs), every other length, and all-ones operands
// (a with bit 1279 set), which load the 64-bit cells most. The reduction is
// also run alone on the product cells; the output may be an operand.
TEST(SeisuuSeki, MatchesSchoolbookModel) {
    std::mt19937 rng(32);
    std::vector<std::pair<Num, Big>> cases;
    for (int t = 0; t < 140; t++) {
        Big b(t < 100 ? 8 : t - 99);
        for (auto &w : b) w = uint32_t(rng());
        cases.push_back({random_num(rng), b});
    }
    Num ones;
    ones.fill(0xFFFFFFFFu);
    for (int n : {1, 8, 40}) cases.push_back({ones, Big(n, 0xFFFFFFFFu)});
    for (const auto &[a, b] : cases) {
        const int n = int(b.size());
        const Big p = mul_big(a.data(), QUILL_LIMBS, b.data(), n);
        const Num want = mod_m(p);
        Num r = a;
        seisuu_seki(r.data(), b.data(), r.data(), n);
        ASSERT_TRUE(is_residue(r, want)) << n << " limbs";
        uint64_t cells[2 * QUILL_LIMBS] = {};
        std::copy(p.begin(), p.end(), cells);
        seisuu_sekiamari(cells, n);
        for (int i = 0; i < QUILL_LIMBS; i++) ASSERT_EQ(cells[i], r[i]);
    }
}

TEST(SeisuuSa, KnownAnswers) {
    std::mt19937 rng(33);
    const Num a = random_num(rng);
    EXPECT_EQ(call_sub(a, a), order());  // M stands for 0
    EXPECT_EQ(call_sub(a, Num{}), a);
    EXPECT_EQ(call_sub(Num{}, Num{}), order());
    // Equal low limbs and a > b: the fold overflows limb 0 and the carry must
    // reach limb 1.
    Num c = small(0x12345678u), d = c;
    c[1] = 7;
    d[1] = 3;
    Num four{};
    four[1] = 4;
    EXPECT_EQ(call_sub(c, d), four);
    // 2^1279 = 1 (mod M) as either operand.
    Num top{};
    top[39] = 0x80000000u;
    EXPECT_EQ(call_sub(top, small(1)), order());
    EXPECT_EQ(call_sub(small(5), top), small(4));
}

// Random operands, and operands with bit 1279 set (values above M) or all
// bits set; the output may be an operand.
TEST(SeisuuSa, MatchesModel) {
    std::mt19937 rng(34);
    Num ones;
    ones.fill(0xFFFFFFFFu);
    std::vector<Num> values = {ones, order(), Num{}};
    for (int t = 0; t < 16; t++) {
        values.push_back(random_num(rng));
        values.back()[39] |= (t & 1) << 31;
    }
    for (const Num &a : values) {
        for (const Num &b : values) {
            const Num want = model_sub(a, b);
            Num r = a;
            seisuu_sa(r.data(), b.data(), r.data());
            ASSERT_TRUE(is_residue(r, want));
            ASSERT_EQ(call_sub(a, b), r);
        }
    }
}

}  // namespace
