#include <benchmark/benchmark.h>

#include <vector>

#include "quillcore.h"

// SHA-256 throughput.

// One read buffer's worth (4096 bytes) and a large file's steady state (1 MiB).
static void BM_Sha256Array(benchmark::State &state) {
    std::vector<unsigned char> data(size_t(state.range(0)));
    for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<unsigned char>(i * 7 + 3);
    uint32_t hash[8];
    for (auto _ : state) {
        SHA256_array(data.data(), uint32_t(data.size()), hash);
        benchmark::DoNotOptimize(hash);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Sha256Array)->Arg(4096)->Arg(1 << 20);
