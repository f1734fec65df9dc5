#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "quillcore.h"

namespace {

// A random 1279-bit value (bit 1279 clear), as secret exponents and field
// elements in use are.
void random_num(std::mt19937 &rng, uint32_t *a) {
    for (int i = 0; i < QUILL_LIMBS; i++) a[i] = uint32_t(rng());
    a[39] &= 0x7FFFFFFFu;
}

void BM_seki(benchmark::State &state) {
    std::mt19937 rng(1);
    uint32_t a[QUILL_LIMBS], b[QUILL_LIMBS];
    random_num(rng, a);
    random_num(rng, b);
    for (auto _ : state) {
        seki(a, b, a);  // chained, so no call can be skipped
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_seki)->Unit(benchmark::kMicrosecond);

void BM_nijyou(benchmark::State &state) {
    std::mt19937 rng(2);
    uint32_t a[QUILL_LIMBS];
    random_num(rng, a);
    for (auto _ : state) {
        nijyou(a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_nijyou)->Unit(benchmark::kMicrosecond);

void BM_x_enujyou(benchmark::State &state) {
    std::mt19937 rng(3);
    uint32_t e[QUILL_LIMBS], out[QUILL_LIMBS];
    random_num(rng, e);
    for (auto _ : state) {
        x_enujyou(e, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_x_enujyou)->Unit(benchmark::kMicrosecond);

void BM_fx_enujyou(benchmark::State &state) {
    std::mt19937 rng(4);
    uint32_t b[QUILL_LIMBS], e[QUILL_LIMBS], out[QUILL_LIMBS];
    random_num(rng, b);
    random_num(rng, e);
    for (auto _ : state) {
        fx_enujyou(b, e, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_fx_enujyou)->Unit(benchmark::kMicrosecond);

}  // namespace
