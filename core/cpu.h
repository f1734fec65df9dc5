// What the processor offers beyond the portable code, found once at run
// time. Every fast path gives bit for bit the results of the portable code,
// which stays the reference and the fallback.
#ifndef QUILL_CPU_H
#define QUILL_CPU_H

namespace quill::cpu {

struct Features {
    bool clmul;   // PCLMULQDQ: carry-less products of 64-bit words
    bool sha;     // the SHA-256 extensions
    bool avx2;    // AVX2: four 64-bit lanes an instruction
    bool vclmul;  // VPCLMULQDQ with AVX2: four carry-less products per instruction
    bool avx512;  // AVX-512F with AVX-512DQ: eight 64-bit products an instruction
};

// The features in use: those of the processor up to the level that the
// environment variable QUILLSEAL_CPU names, unless portable_only. The
// levels, each with those before it: "portable" (none), "pclmul"
// (PCLMULQDQ and the SHA extensions), "avx2" (AVX2 and VPCLMULQDQ),
// "avx512"; another value, or none, caps nothing. A cap never gives what
// the processor lacks.
const Features &features();

// The highest level in use, by the names above.
const char *level();

// Makes every routine take the portable path from now on (true), or the
// processor's fastest again (false). For tests that hold the paths against
// each other; not for use while another call runs.
void portable_only(bool on);

}  // namespace quill::cpu

#endif
