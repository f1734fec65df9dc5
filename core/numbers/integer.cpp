// Integers modulo the group order M = 2^1279 - 1.
//
// Working arrays hold one 64-bit cell per 32-bit limb position, so that a
// carry can wait in the upper half of a cell and move on once per pass.
// Since 2^1279 = 1 (mod M), everything at or above bit 1279 folds back to the
// bottom. Results lie in 0..M, where M stands for 0.
#include "quillcore.h"

namespace {

constexpr int kLimbs = QUILL_LIMBS;  // 40
constexpr uint64_t kLow32 = 0xFFFFFFFFu;
constexpr uint64_t kLow31 = 0x7FFFFFFFu;

// The count of multiplier limbs, kept inside 0..40 so that no cell or limb
// outside the arrays is touched (n < 1 is an empty multiplier).
inline int clamp_limbs(int32_t n) {
    return n < 0 ? 0 : n > kLimbs ? kLimbs : n;
}

// Everything at or above bit 1279, including a pending carry in the upper
// half of cell 39, moves to cell 0. Afterwards cell 39 < 2^31.
inline void fold_top(uint64_t *cells) {
    cells[0] += cells[39] >> 31;
    cells[39] &= kLow31;
}

// Cells 0..38 end below 2^32; cell 39 takes the last carry.
inline void carry_pass(uint64_t *cells) {
    for (int i = 0; i < kLimbs - 1; i++) {
        cells[i + 1] += cells[i] >> 32;
        cells[i] &= kLow32;
    }
}

// After a fold only cell 0 may exceed 2^32, by a few units. The carry runs
// through every cell, past the first that absorbs it, so that the time does
// not tell how far it went (the operands may be secret exponents).
inline void final_carry(uint64_t *cells) {
    carry_pass(cells);
}

// The top bit of a 40-limb value folded in: x becomes a value below 2^1279
// congruent to it modulo M (2^1280 - 1, all bits set, becomes 1).
void fold_value(const uint32_t *x, uint64_t *cells) {
    for (int i = 0; i < kLimbs; i++) cells[i] = x[i];
    fold_top(cells);     // cell 0 <= 2^32
    final_carry(cells);  // reaches cell 39 only from M + 1 = 2^1279
    fold_top(cells);     // ... which becomes 1; now cell 39 < 2^31
}

}  // namespace

void seisuu_seki(const uint32_t *a, const uint32_t *b, uint32_t *out, int32_t n) {
    const int nb = clamp_limbs(n);
    uint64_t cells[2 * kLimbs] = {};
    // Row j adds a * b[j] at cell j. Before a product is added its cell holds
    // below 2^32 from the previous row plus a carry below 2^32, i.e. at most
    // 2^33 - 2, and the product is at most 2^64 - 2^33 + 1: the sum fits.
    for (int j = 0; j < nb; j++) {
        for (int i = 0; i < kLimbs; i++) {
            const int k = i + j;
            cells[k] += uint64_t(a[i]) * b[j];
            cells[k + 1] += cells[k] >> 32;  // carry < 2^32
            cells[k] &= kLow32;
        }
    }
    // Every cell is now below 2^32; cells 0..nb+39 are live.
    seisuu_sekiamari(cells, nb);
    for (int i = 0; i < kLimbs; i++) out[i] = uint32_t(cells[i]);
}

// 2^(32k) = 2^(32(k-40)+1) (mod M): cell k >= 40 moves, doubled, 40 cells
// down, its doubled value split across the cells k-40 and k-39.
void seisuu_sekiamari(uint64_t *cells, int32_t n) {
    const int top = clamp_limbs(n) + kLimbs - 1;
    // Downwards, so that cell 40, which the fold of cell 79 feeds, is folded
    // after it. With cells below 2^32 on entry, each of cells 0..39 receives
    // at most 2^32 - 2 and 2 more, so it ends below 2^33.
    for (int k = top; k >= kLimbs; k--) {
        cells[k - 39] += cells[k] >> 31;
        cells[k - 40] += (cells[k] << 1) & kLow32;
        cells[k] = 0;
    }
    fold_top(cells);  // cell 0 < 2^33 + 3, cell 39 < 2^31
    carry_pass(cells);
    // The value is now below 2^1279 + 2^1250, so the second fold moves at most
    // 1 and, when it does, leaves cell 39 tiny: the final carry cannot push
    // cell 39 to 2^31, and the result stays below 2^1279.
    fold_top(cells);
    final_carry(cells);
}

// a - b = a + (M - b) (mod M), with M - b the ones' complement of b in 1279
// bits. Operands are first brought below 2^1279 (their bit 1279 folded in),
// which leaves every operand already in 0..M as it is.
void seisuu_sa(const uint32_t *a, const uint32_t *b, uint32_t *out) {
    uint64_t cells[kLimbs], fb[kLimbs];
    fold_value(a, cells);
    fold_value(b, fb);
    // M - b: the complement of b in bits 0..1278. Each cell <= 2^33 - 2.
    for (int i = 0; i < kLimbs - 1; i++) cells[i] += ~fb[i] & kLow32;
    cells[39] += ~fb[39] & kLow31;
    carry_pass(cells);
    // a + (M - b) <= 2M = 2^1280 - 2: the fold moves at most 1 and leaves a
    // value of at most M.
    fold_top(cells);
    final_carry(cells);
    for (int i = 0; i < kLimbs; i++) out[i] = uint32_t(cells[i]);
}
