// Processor features from CPUID, read once.
#include "cpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace quill::cpu {

namespace {

Features detect() {
    Features f{};
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return f;
    const bool sse41 = (c >> 19) & 1, pclmul = (c >> 1) & 1, ssse3 = (c >> 9) & 1;
    const bool osxsave = (c >> 27) & 1, avx = (c >> 28) & 1;
    f.clmul = pclmul && sse41;
    bool avx_state = false, zmm_state = false;
    if (osxsave && avx) {
        unsigned lo, hi;
        __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
        avx_state = (lo & 6) == 6;        // the system saves XMM and YMM registers
        zmm_state = (lo & 0xE6) == 0xE6;  // ... and the 512-bit state
    }
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        const bool avx2 = (b >> 5) & 1, sha = (b >> 29) & 1, vpclmul = (c >> 10) & 1;
        f.vclmul = f.clmul && avx_state && avx2 && vpclmul;
        f.sha = sha && sse41 && ssse3;
        const bool avx512f = (b >> 16) & 1, avx512dq = (b >> 17) & 1;
        f.avx512 = avx_state && zmm_state && avx512f && avx512dq;
    }
#endif
    return f;
}

// Made on first use, so that no other file's start-up code can see it unset.
Features &in_use() {
    static Features f = detect();
    return f;
}

}  // namespace

const Features &features() {
    return in_use();
}

void portable_only(bool on) {
    in_use() = on ? Features{} : detect();
}

}  // namespace quill::cpu
