// Block cipher throughput over the drivers' 4096-byte chunks.
#include <benchmark/benchmark.h>

#include <vector>

#include "quillcore.h"

namespace {

struct CipherRun {
    uint32_t key[40], inv[40];
    unsigned char chain[32] = {};
    std::vector<unsigned char> buf;

    explicit CipherRun(size_t bytes) : buf(bytes, 0x5A) {
        unsigned char material[160];
        for (int i = 0; i < 160; i++) material[i] = uint8_t(i * 31 + 7);
        kagikazusakusei(material, key, inv);
    }
};

void BM_Rangou(benchmark::State &state) {
    CipherRun run(size_t(state.range(0)));
    for (auto _ : state) {
        for (size_t off = 0; off < run.buf.size(); off += 32)
            Rangou(&run.buf[off], run.chain, run.key);
        benchmark::DoNotOptimize(run.buf.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_Rfukugou(benchmark::State &state) {
    CipherRun run(size_t(state.range(0)));
    for (auto _ : state) {
        for (size_t off = 0; off < run.buf.size(); off += 32)
            Rfukugou(&run.buf[off], run.chain, run.key, run.inv);
        benchmark::DoNotOptimize(run.buf.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void BM_KeySchedule(benchmark::State &state) {
    unsigned char material[160] = {1};
    uint32_t key[40], inv[40];
    for (auto _ : state) {
        kagikazusakusei(material, key, inv);
        benchmark::DoNotOptimize(key);
    }
    state.SetLabel("seeding, 40 words and their inverses");
}

}  // namespace

BENCHMARK(BM_Rangou)->Arg(4096);
BENCHMARK(BM_Rfukugou)->Arg(4096);
BENCHMARK(BM_KeySchedule)->Unit(benchmark::kMicrosecond);
