// Powers in GF(2^1279): of the generator x, and of any element.
//
// Both take secret exponents (a new key's y = x^d, a signature's R = x^k,
// decryption's shared secret R^d), so neither branches on a bit of the
// exponent nor indexes memory by one: x^e squares once per bit and shifts by
// the bit (a multiplication by x or by 1), b^e takes fixed windows of five
// bits, multiplies by a table entry for every window (b^0 = 1 included) and
// reads the whole table to select the entry by masks.
#include <cstring>

#include "numbers/gf.h"
#include "quillcore.h"

namespace {

using quill::gf::kWords;
constexpr int kLimbs = QUILL_LIMBS;  // 40

constexpr int kWindow = 5;
constexpr int kTable = 1 << kWindow;  // b^0 .. b^31
constexpr int kExponentBits = 1279;   // bits 0..1278 of e for b^e
// 1279 = 4 + 255 windows of 5: the first window holds bits 1278..1275.
constexpr int kFirstWidth = kExponentBits % kWindow;

void to_words(const uint32_t *a, uint64_t *w) {
    for (int i = 0; i < kWords; i++) w[i] = a[2 * i] | uint64_t(a[2 * i + 1]) << 32;
}

void to_limbs(const uint64_t *w, uint32_t *a) {
    for (int i = 0; i < kWords; i++) {
        a[2 * i] = uint32_t(w[i]);
        a[2 * i + 1] = uint32_t(w[i] >> 32);
    }
}

// Bit n of the exponent (40 limbs), 0 or 1.
inline uint64_t bit(const uint32_t *e, int n) {
    return (e[n / 32] >> (n % 32)) & 1;
}

// Bits n + width - 1 .. n of the exponent as a number.
inline uint32_t bits(const uint32_t *e, int n, int width) {
    uint32_t v = 0;
    for (int k = width - 1; k >= 0; k--) v = v << 1 | uint32_t(bit(e, n + k));
    return v;
}

// Two words at a time: the compiler's vector type, plain words where the
// processor has no vectors.
typedef uint64_t Pair __attribute__((vector_size(16)));

// out <- table[index], reading every entry: the mask is all ones for the
// wanted entry only, and no address depends on index.
void select(const uint64_t (*table)[kWords], uint32_t index, uint64_t *out) {
    Pair masks[kTable];
    for (uint32_t j = 0; j < kTable; j++) {
        // (j ^ index) - 1 borrows into bit 32 exactly when j == index.
        const uint64_t mask = 0 - (((uint64_t(j ^ index)) - 1) >> 32 & 1);
        masks[j] = Pair{mask, mask};
    }
    for (int i = 0; i < kWords / 2; i++) {
        Pair sum = {0, 0};
        for (uint32_t j = 0; j < kTable; j++) {
            Pair entry;
            std::memcpy(&entry, table[j] + 2 * i, sizeof entry);
            sum |= entry & masks[j];
        }
        std::memcpy(out + 2 * i, &sum, sizeof sum);
    }
}

}  // namespace

void x_enujyou(const uint32_t *e, uint32_t *out) {
    uint32_t ex[kLimbs];  // a copy, so that out may even share e's buffer
    std::memcpy(ex, e, sizeof ex);
    // From 1, every bit from 1279 down is one squaring and a shift by the
    // bit: r <- x^bit r^2. All 1280 bits count.
    uint64_t r[kWords] = {1};
    quill::gf::x_power(ex, 32 * kLimbs, r);
    to_limbs(r, out);
}

void fx_enujyou(const uint32_t *b, const uint32_t *e, uint32_t *out) {
    uint32_t ex[kLimbs];  // out may share e's buffer; read e from a copy
    std::memcpy(ex, e, sizeof ex);

    // T[i] = b^i; T[1] is b reduced (b times 1), so that every result is.
    uint64_t table[kTable][kWords] = {{1}};
    uint64_t base[kWords];
    to_words(b, base);
    quill::gf::mul(base, table[0], table[1]);
    for (int i = 2; i < kTable; i++) quill::gf::mul(table[i - 1], table[1], table[i]);

    // Bit 1279 is never read; bits 1278..0 in windows, the first of four.
    uint64_t r[kWords], t[kWords];
    select(table, bits(ex, kExponentBits - kFirstWidth, kFirstWidth), r);
    for (int n = kExponentBits - kFirstWidth - kWindow; n >= 0; n -= kWindow) {
        quill::gf::sqr_times(r, kWindow);
        select(table, bits(ex, n, kWindow), t);
        quill::gf::mul(r, t, r);
    }
    to_limbs(r, out);
    std::memset(table, 0, sizeof table);
}
