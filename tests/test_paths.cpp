// Every fast path gives the portable code's results: the same inputs through
// each path the processor offers and through the portable one. Paths the
// processor lacks are skipped, so the test means most on a machine that has
// them all.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cpu.h"
#include "engine/pipeline.h"
#include "files.h"
#include "numbers/gf.h"
#include "quillcore.h"
#include "symmetric/cipher.h"
#include "symmetric/random.h"
#include "symmetric/sha256.h"

namespace {

using Words = std::vector<uint64_t>;

// Field elements: random ones, some with bit 1279 set, and the edges.
std::vector<Words> elements() {
    std::mt19937_64 rng(1279);
    std::vector<Words> all = {Words(20, 0), Words(20, ~uint64_t(0)), Words(20, 0)};
    all[2][0] = 1;
    for (int n = 0; n < 40; n++) {
        Words w(20);
        for (auto &v : w) v = rng();
        if (n % 2) w[19] &= 0x7FFFFFFFFFFFFFFF;
        all.push_back(w);
    }
    return all;
}

TEST(Paths, FieldProductsAndSquaresAgree) {
    const auto &f = quill::cpu::features();
    if (!f.clmul) GTEST_SKIP() << "no carry-less multiplication here";
    const auto all = elements();
    for (size_t i = 0; i < all.size(); i++) {
        const Words &a = all[i], &b = all[(i * 7 + 3) % all.size()];
        Words want(20), got(40);
        quill::gf::portable::mul(a.data(), b.data(), want.data());
        quill::gf::clmul::product(a.data(), b.data(), got.data());
        quill::gf::reduce(got.data());
        EXPECT_EQ(Words(got.begin(), got.begin() + 20), want) << i;
        if (f.vclmul) {
            quill::gf::clmul::product_wide(a.data(), b.data(), got.data());
            quill::gf::reduce(got.data());
            EXPECT_EQ(Words(got.begin(), got.begin() + 20), want) << i;
        }
        for (uint64_t shift : {0, 1}) {
            Words p = a, q = a;
            quill::gf::portable::sqr(p.data(), shift);
            const uint32_t e[1] = {uint32_t(shift)};
            quill::gf::clmul::x_power(e, 1, q.data());
            EXPECT_EQ(q, p) << i << " shift " << shift;
        }
    }
}

// The exported powers on every path, exponents of every size.
TEST(Paths, PowersAgree) {
    std::mt19937 rng(7);
    for (int n = 0; n < 4; n++) {
        uint32_t b[40], e[40], fast[2][40], slow[2][40];
        for (int i = 0; i < 40; i++) b[i] = rng(), e[i] = rng() >> (n * 8);
        x_enujyou(e, fast[0]);
        fx_enujyou(b, e, fast[1]);
        quill::cpu::portable_only(true);
        x_enujyou(e, slow[0]);
        fx_enujyou(b, e, slow[1]);
        quill::cpu::portable_only(false);
        EXPECT_EQ(std::memcmp(fast, slow, sizeof fast), 0) << n;
    }
}

TEST(Paths, Sha256BlocksAgree) {
    if (!quill::cpu::features().sha) GTEST_SKIP() << "no SHA extensions here";
    std::vector<unsigned char> data(64 * 37);
    std::mt19937 rng(256);
    for (auto &c : data) c = uint8_t(rng());
    uint32_t a[8], b[8];
    SHA256_int(a);
    SHA256_int(b);
    quill::sha256_blocks_portable(a, data.data(), 37);
    quill::sha256_blocks_ni(b, data.data(), 37);
    EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
}

// The bulk keystream, the bulk encipher and both decipher paths against the
// exported one-block functions over the same stream.
TEST(Paths, BulkCipherEqualsOneBlockAtATime) {
    unsigned char material[160];
    for (int i = 0; i < 160; i++) material[i] = uint8_t(i * 13 + 1);
    uint32_t key[40], inv[40];
    quill::cipher::Schedule s;
    const size_t blocks = 8 * 9 + 5;  // whole groups of eight and a rest
    std::vector<unsigned char> plain(32 * blocks), one, bulk;
    for (size_t i = 0; i < plain.size(); i++) plain[i] = uint8_t(i * 7);

    kagikazusakusei(material, key, inv);
    one = plain;
    unsigned char chain_one[32] = {1, 2, 3};
    for (size_t n = 0; n < blocks; n++) Rangou(&one[32 * n], chain_one, key);

    kagikazusakusei(material, key, inv);
    quill::cipher::load_schedule(key, inv, &s);
    std::vector<uint64_t> stream(4 * blocks);
    quill::cipher::draw_stream(quill::active_generator(), stream.data(), blocks);
    bulk = plain;
    unsigned char chain_bulk[32] = {1, 2, 3};
    quill::cipher::encipher(bulk.data(), blocks, chain_bulk, s, stream.data());
    EXPECT_EQ(bulk, one);
    EXPECT_EQ(std::memcmp(chain_bulk, chain_one, 32), 0);

    // Each lane width for the whole groups it takes, the portable code for
    // the rest.
    using Lanes = size_t (*)(unsigned char *, size_t, unsigned char *,
                             const quill::cipher::Schedule &, const uint64_t *);
    const struct {
        const char *name;
        bool present;
        Lanes lanes;
    } paths[] = {{"portable", true, nullptr},
                 {"avx2", quill::cpu::features().avx2, quill::cipher::decipher_avx2},
                 {"avx512", quill::cpu::features().avx512, quill::cipher::decipher_wide}};
    for (const auto &path : paths) {
        if (!path.present) continue;
        std::vector<unsigned char> back = one;
        unsigned char chain[32] = {1, 2, 3};
        const size_t done =
            path.lanes ? path.lanes(back.data(), blocks, chain, s, stream.data()) : 0;
        quill::cipher::decipher_portable(back.data() + 32 * done, blocks - done, chain, s,
                                         stream.data() + 4 * done);
        EXPECT_EQ(back, plain) << path.name;
        EXPECT_EQ(std::memcmp(chain, one.data() + 32 * (blocks - 1), 32), 0) << path.name;
    }
}

// The chunked stream with its helper thread writes the bytes (and hashes)
// that one block at a time on one thread writes, from the same key and
// chaining block, and reads them back; a source read ahead counts the same.
TEST(Paths, StreamWithItsHelperEqualsOneThread) {
    const ScratchDir dir("paths_stream");
    unsigned char material[160] = {9, 8, 7};
    uint32_t key[40], inv[40];
    std::vector<unsigned char> data(3 * quill::kStreamChunkBytes + 96 * 32);
    for (size_t i = 0; i < data.size(); i++) data[i] = uint8_t(i * 131 + 7);
    write_file(dir / "source", data);
    std::vector<Bytes> archives;
    for (bool ahead : {false, true}) {
        kagikazusakusei(material, key, inv);
        unsigned char chain[32] = {5};
        quill::Sha256 hash;
        quill::sha256_start(&hash);
        const std::string path = dir / (ahead ? "ahead" : "exact");
        quill::plat::File *out = quill::plat::create_private(path.c_str());
        quill::plat::File *src = quill::plat::open_read((dir / "source").c_str());
        ASSERT_TRUE(out && src);
        {
            quill::BlockWriter w(out, key, chain, &hash, ahead);
            w.put(data.data(), 33);
            quill::plat::Failure why;
            ASSERT_EQ(w.put_source(
                          src, data.size() / 32, [](uint64_t) {}, &why),
                      quill::plat::kReadWhole);
            w.put(data.data(), 1);
            ASSERT_TRUE(w.finish());
        }
        quill::plat::close(src);
        quill::plat::close(out);
        uint32_t digest[8];
        quill::sha256_end(&hash, digest);
        archives.push_back(read_file(path));
        uint32_t again[8];
        SHA256(path.c_str(), again);
        EXPECT_EQ(std::memcmp(digest, again, sizeof again), 0);
    }
    EXPECT_EQ(archives[0], archives[1]);

    kagikazusakusei(material, key, inv);
    quill::Secrets s{};
    std::memcpy(s.key, key, sizeof key);
    std::memcpy(s.inv, inv, sizeof inv);
    s.chain[0] = 5;
    quill::plat::File *in = quill::plat::open_read((dir / "ahead").c_str());
    {
        quill::BlockReader r(in, s);
        std::vector<unsigned char> back(data.size() + 34 * 32);
        ASSERT_TRUE(r.take(back.data(), back.size() / 32));
        EXPECT_TRUE(std::equal(data.begin(), data.begin() + 33 * 32, back.begin()));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin() + 33 * 32));
    }
    quill::plat::close(in);
}

}  // namespace
