// GF(2^1279) on 64-bit words, as the exponentiations use it: 20 words, the
// lower 32-bit limb of each pair in the low half (word i holds limbs 2i and
// 2i+1). Each routine runs the fastest path the processor offers; every path
// gives the same reduced element.
#ifndef QUILL_GF_H
#define QUILL_GF_H

#include <cstdint>

namespace quill::gf {

constexpr int kWords = 20;

// out <- a*b mod f, reduced; out may alias a or b.
void mul(const uint64_t *a, const uint64_t *b, uint64_t *out);
// a <- x^shift a^2 mod f for shift 0 or 1, reduced; the work does not depend
// on shift.
void sqr(uint64_t *a, uint64_t shift);
// a <- a^(2^count), reduced.
void sqr_times(uint64_t *a, int count);
// r <- x^e' r^(2^bits) where e' is bits bits - 1 .. 0 of e; no branch and
// no address depends on e.
void x_power(const uint32_t *e, int bits, uint64_t *r);

// The paths on their own, for the tests that hold them against each other.
namespace portable {
void mul(const uint64_t *a, const uint64_t *b, uint64_t *out);
void sqr(uint64_t *a, uint64_t shift);
}  // namespace portable
namespace clmul {
// p[0..39] <- the carry-less product of a and b (PCLMULQDQ).
void product(const uint64_t *a, const uint64_t *b, uint64_t *p);
// a <- a^(2^count), reduced (PCLMULQDQ).
void square_times(uint64_t *a, int count);
// r <- x^(bits - 1 .. 0 of e) times r^(2^bits), reduced: a squaring and a
// shift by each bit from the highest down (PCLMULQDQ).
void x_power(const uint32_t *e, int bits, uint64_t *r);
// The same product with VPCLMULQDQ, four word products an instruction.
void product_wide(const uint64_t *a, const uint64_t *b, uint64_t *p);
}  // namespace clmul
// p[0..19] <- p[0..39] mod f, reduced; p[20..39] are cleared. Any 2560-bit
// p is taken.
void reduce(uint64_t *p);

}  // namespace quill::gf

#endif
