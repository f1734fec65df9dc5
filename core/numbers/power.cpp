// Powers in GF(2^1279): of the generator x (squarings only) and of any
// element (sliding window of width 6 over odd powers).
#include <cstring>

#include "quillcore.h"

namespace {

constexpr int kLimbs = QUILL_LIMBS;  // 40
constexpr size_t kBytes = kLimbs * sizeof(uint32_t);

// Odd powers b, b^3, ..., b^63 for windows of up to 6 bits.
constexpr int kWindow = 6;
constexpr int kTable = 1 << (kWindow - 1);  // 32

// x^1279 = x^418 + 1: clears bit 1279 without changing the element.
void reduce_top(uint32_t *a) {
    const uint32_t top = a[39] >> 31;
    a[39] &= 0x7FFFFFFFu;
    a[0] ^= top;
    a[13] ^= top << 2;  // x^418 is bit 2 of limb 13
}

// Number of trailing zero bits of a non-zero window (at most 5).
inline int trailing_zeros(uint32_t w) {
    int z = 0;
    while ((w & 1) == 0) {
        w >>= 1;
        z++;
    }
    return z;
}

// The running value of a left-to-right scan. Squarings while no window has
// been taken yet are skipped: they would square 1.
struct Accumulator {
    uint32_t r[kLimbs];
    bool started;
};

inline void square_times(Accumulator &acc, int count) {
    if (!acc.started) return;
    for (int k = 0; k < count; k++) nijyou(acc.r);
}

// One window w = u 2^z of `width` bits, u odd: acc <- (acc^(2^(width-z)) b^u)^(2^z),
// with b^u = table[(u-1)/2]. An unset acc simply becomes b^u first.
void take_window(Accumulator &acc, const uint32_t (*table)[kLimbs], uint32_t w, int width) {
    const int z = trailing_zeros(w);
    const uint32_t u = w >> z;
    if (acc.started) {
        square_times(acc, width - z);
        seki(table[(u - 1) / 2], acc.r, acc.r);
    } else {
        std::memcpy(acc.r, table[(u - 1) / 2], kBytes);
        acc.started = true;
    }
    square_times(acc, z);
}

}  // namespace

void x_enujyou(const uint32_t *e, uint32_t *out) {
    uint32_t ex[kLimbs];  // a copy, so that out may even share e's buffer
    std::memcpy(ex, e, kBytes);

    // The leading bits of limb 39, as long as their value t stays at most
    // 1279, give x^t as a single bit; mask marks the highest bit left over.
    uint32_t t = ex[39] >> 1, mask = 1;
    while (t > 1279) {
        t >>= 1;
        mask <<= 1;
    }
    std::memset(out, 0, kBytes);
    out[t / 32] = uint32_t(1) << (t % 32);  // x^1279 stays unreduced until the first step

    // Every remaining bit is one squaring; a 1 bit also multiplies by x. At
    // least limb 0 follows, so the result is always reduced.
    for (int L = 39; L >= 0; L--) {
        for (; mask != 0; mask >>= 1) {
            if (ex[L] & mask) {
                nijyoux(out);
            } else {
                nijyou(out);
            }
        }
        mask = 0x80000000u;
    }
}

void fx_enujyou(const uint32_t *b, const uint32_t *e, uint32_t *out) {
    uint32_t ex[kLimbs];  // out may share e's buffer; read e from a copy
    std::memcpy(ex, e, kBytes);

    // T[i] = b^(2i+1). T[0] is b reduced, so that an exponent of 1 also
    // yields a reduced element.
    uint32_t table[kTable][kLimbs];
    std::memcpy(table[0], b, kBytes);
    reduce_top(table[0]);
    uint32_t b2[kLimbs];
    std::memcpy(b2, table[0], kBytes);
    nijyou(b2);
    for (int i = 1; i < kTable; i++) seki(b2, table[i - 1], table[i]);

    Accumulator acc;
    acc.started = false;

    // Bit 1279 (bit 31 of limb 39) is never read. A window starting at bit p
    // of limb L takes bits p..p-5, reaching into limb L-1 when p < 5; the
    // loop stops before a window would run past bit 0.
    int L = 39, p = 30;
    while (L > 0 || (L == 0 && p > 4)) {
        if (((ex[L] >> p) & 1) == 0) {
            square_times(acc, 1);
            p--;
        } else {
            uint32_t w;
            if (p >= kWindow - 1) {
                w = (ex[L] >> (p - 5)) & 0x3F;
            } else {
                w = ((ex[L] << (5 - p)) & 0x3F) | (ex[L - 1] >> (27 + p));
            }
            take_window(acc, table, w, kWindow);
            p -= kWindow;
        }
        if (p < 0) {
            p += 32;
            L--;
        }
    }
    // Bits p..0 of limb 0 (p <= 4) remain when the scan ended inside limb 0.
    if (L == 0) {
        while (p >= 0 && ((ex[0] >> p) & 1) == 0) {
            square_times(acc, 1);
            p--;
        }
        if (p >= 0) take_window(acc, table, ex[0] & ((uint32_t(2) << p) - 1), p + 1);
    }

    if (acc.started) {
        std::memcpy(out, acc.r, kBytes);
    } else {
        // Bits 0..1278 all zero: b^0 = 1.
        std::memset(out, 0, kBytes);
        out[0] = 1;
    }
}
