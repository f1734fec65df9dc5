// Powers in GF(2^1279), checked against plain square-and-multiply over seki.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "quillcore.h"

namespace {

using Num = std::array<uint32_t, QUILL_LIMBS>;

Num small(uint32_t v) {
    Num r{};
    r[0] = v;
    return r;
}

Num monomial(int k) {
    Num r{};
    r[k / 32] = uint32_t(1) << (k % 32);
    return r;
}

Num order() {  // M = 2^1279 - 1
    Num r;
    r.fill(0xFFFFFFFFu);
    r[39] = 0x7FFFFFFFu;
    return r;
}

Num random_num(std::mt19937 &rng, uint32_t top_mask = 0xFFFFFFFFu) {
    Num r;
    for (auto &w : r) w = uint32_t(rng());
    r[39] &= top_mask;
    return r;
}

Num mul(const Num &a, const Num &b) {
    Num r;
    seki(a.data(), b.data(), r.data());
    return r;
}

// b^e over bits bits-1..0 of e: one seki per square and per set bit.
Num model_pow(const Num &b, const Num &e, int bits) {
    Num r = small(1);
    for (int k = bits - 1; k >= 0; k--) {
        r = mul(r, r);
        if ((e[k / 32] >> (k % 32)) & 1) r = mul(r, b);
    }
    return r;
}

Num call_x(const Num &e) {
    Num r;
    x_enujyou(e.data(), r.data());
    return r;
}

Num call_fx(const Num &b, const Num &e) {
    Num r;
    fx_enujyou(b.data(), e.data(), r.data());
    return r;
}

// All 1280 bits count. Limb 39 decides how many leading bits become one
// monomial: small values, 2558 and 2559 (x^1279 unreduced at first), full limbs.
TEST(XEnujyou, KnownAnswersAndModel) {
    Num x418_1{};
    x418_1[0] = 1;
    x418_1[13] = 4;
    EXPECT_EQ(call_x(small(0)), small(1));
    EXPECT_EQ(call_x(small(1)), monomial(1));
    EXPECT_EQ(call_x(small(1279)), x418_1);
    EXPECT_EQ(call_x(order()), small(1));
    EXPECT_EQ(call_x(monomial(1279)), monomial(1));  // x^(M+1)
    std::mt19937 rng(21);
    for (uint32_t top : {0u, 1u, 0x9FFu, 0xA00u, 2558u, 2559u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Num e = random_num(rng);
        e[39] = top;
        ASSERT_EQ(call_x(e), model_pow(monomial(1), e, 1280)) << top;
    }
}

// Exponents 1..70 (1..31 fit the final window alone; 31..33 and 63..65 sit at
// the window width), 0 and bit 1279 alone, on an unreduced base.
TEST(FxEnujyou, SmallExponents) {
    std::mt19937 rng(22);
    Num b = random_num(rng);
    b[39] |= 0x80000000u;
    const Num base = mul(b, small(1));
    Num want = base;
    for (uint32_t k = 1; k <= 70; k++, want = mul(want, base)) {
        ASSERT_EQ(call_fx(b, small(k)), want) << k;
    }
    EXPECT_EQ(call_fx(b, small(0)), small(1));
    EXPECT_EQ(call_fx(b, monomial(1279)), small(1));
}

// Random exponents and exponents with set bits at the low end of limbs, so
// that windows reach across limbs and into the final window.
TEST(FxEnujyou, MatchesModel) {
    std::mt19937 rng(23);
    std::vector<Num> exps = {order()};  // b^M = 1
    for (int t = 0; t < 3; t++) exps.push_back(random_num(rng, 0x7FFFFFFFu));
    for (int low = 0; low < 6; low++) {
        Num e{};
        for (int k = 0; k < 40; k += 3) e[k] = uint32_t(1) << low | (rng() & 1) << 31;
        e[0] |= rng() & 0x1F;
        exps.push_back(e);
    }
    for (const Num &e : exps) {
        const Num b = random_num(rng);
        const Num want = model_pow(b, e, 1279);
        ASSERT_EQ(call_fx(b, e), want);
        Num e_top = e;
        e_top[39] |= 0x80000000u;  // ignored
        ASSERT_EQ(call_fx(b, e_top), want);
    }
}

TEST(FxEnujyou, AgreesWithGeneratorAndMayAlias) {
    std::mt19937 rng(24);
    for (int t = 0; t < 8; t++) {
        const Num e = random_num(rng, 0x7FFFFFFFu);
        const Num want = call_x(e);
        ASSERT_EQ(call_fx(monomial(1), e), want);
        Num r = monomial(1);
        fx_enujyou(r.data(), e.data(), r.data());
        ASSERT_EQ(r, want);
        r = e;
        fx_enujyou(monomial(1).data(), r.data(), r.data());
        ASSERT_EQ(r, want);
        r = e;
        x_enujyou(r.data(), r.data());
        ASSERT_EQ(r, want);
    }
}

}  // namespace
