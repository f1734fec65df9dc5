// Processor features from CPUID, read once.
#include "cpu.h"

#include <cstdlib>
#include <cstring>

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
        f.avx2 = avx_state && avx2;
        f.vclmul = f.clmul && f.avx2 && vpclmul;
        f.sha = sha && sse41 && ssse3;
        const bool avx512f = (b >> 16) & 1, avx512dq = (b >> 17) & 1;
        f.avx512 = avx_state && zmm_state && avx512f && avx512dq;
    }
#endif
    return f;
}

// The processor's features up to the level QUILLSEAL_CPU names.
Features capped(Features f) {
    const char *cap = std::getenv("QUILLSEAL_CPU");
    if (!cap) return f;
    if (std::strcmp(cap, "portable") == 0) return Features{};
    if (std::strcmp(cap, "pclmul") == 0) f.avx2 = f.vclmul = false;
    if (std::strcmp(cap, "pclmul") == 0 || std::strcmp(cap, "avx2") == 0) f.avx512 = false;
    return f;
}

// Made on first use, so that no other file's start-up code can see it unset.
Features &in_use() {
    static Features f = capped(detect());
    return f;
}

}  // namespace

const Features &features() {
    return in_use();
}

const char *level() {
    const Features &f = in_use();
    return f.avx512 ? "avx512" : f.avx2 ? "avx2" : f.clmul || f.sha ? "pclmul" : "portable";
}

void portable_only(bool on) {
    in_use() = on ? Features{} : capped(detect());
}

}  // namespace quill::cpu
