// Block cipher throughput over the drivers' 4096-byte chunks.
#include <benchmark/benchmark.h>

#include <vector>

#include "quillcore.h"
#include "symmetric/cipher.h"
#include "symmetric/random.h"

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

// The keystream alone, drawn in bulk as the drivers draw it.
void BM_Keystream(benchmark::State &state) {
    CipherRun run(size_t(state.range(0)));
    std::vector<uint64_t> stream(run.buf.size() / 8);
    for (auto _ : state) {
        quill::cipher::draw_stream(quill::active_generator(), stream.data(), run.buf.size() / 32);
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// The bulk cipher over 1 MiB with its keystream drawn beforehand, so that
// only the rounds (and their whitening) count.
template <void (*run)(unsigned char *, size_t, unsigned char *, const quill::cipher::Schedule &,
                      const uint64_t *)>
void bulk(benchmark::State &state) {
    CipherRun r(size_t(state.range(0)));
    std::vector<uint64_t> stream(r.buf.size() / 8);
    quill::cipher::Schedule s;
    quill::cipher::load_schedule(r.key, r.inv, &s);
    quill::cipher::draw_stream(quill::active_generator(), stream.data(), r.buf.size() / 32);
    for (auto _ : state) {
        run(r.buf.data(), r.buf.size() / 32, r.chain, s, stream.data());
        benchmark::DoNotOptimize(r.buf.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

// The chained rounds alone: the floor of any encryption, which cannot
// encipher a block before the previous one.
void BM_EncipherRounds(benchmark::State &state) {
    bulk<quill::cipher::encipher>(state);
}

// Deciphering in lanes (eight blocks at a time where AVX-512 is there).
void BM_DecipherLanes(benchmark::State &state) {
    bulk<quill::cipher::decipher>(state);
}

}  // namespace

BENCHMARK(BM_Keystream)->Arg(1 << 20);
BENCHMARK(BM_EncipherRounds)->Arg(1 << 20);
BENCHMARK(BM_DecipherLanes)->Arg(1 << 20);
BENCHMARK(BM_Rangou)->Arg(4096);
BENCHMARK(BM_Rfukugou)->Arg(4096);
BENCHMARK(BM_KeySchedule)->Unit(benchmark::kMicrosecond);
