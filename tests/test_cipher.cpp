// The block cipher: decryption inverts encryption for runs of blocks that
// share one chaining block, the chaining behaves as a caller relies on, and
// the key words have exact inverses.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "quillcore.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint64_t inverse64(uint64_t v) {
    uint32_t w[2] = {uint32_t(v), uint32_t(v >> 32)};
    inverse(w);
    return uint64_t(w[0]) | uint64_t(w[1]) << 32;
}

struct Keys {
    uint32_t fwd[40];
    uint32_t inv[40];
};

Bytes material_from(uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes m(160);
    for (auto &b : m) b = uint8_t(rng());
    return m;
}

// A run of blocks: derive the keys (which seeds the generator), then
// encipher or decipher block after block with one chaining block.
Bytes run(bool decipher, const Bytes &material, const unsigned char *iv, Bytes data) {
    Keys k;
    kagikazusakusei(material.data(), k.fwd, k.inv);
    unsigned char chain[32];
    std::memcpy(chain, iv, 32);
    for (size_t off = 0; off < data.size(); off += 32) {
        if (decipher)
            Rfukugou(&data[off], chain, k.fwd, k.inv);
        else
            Rangou(&data[off], chain, k.fwd);
    }
    return data;
}

Bytes encipher_run(const Bytes &m, const unsigned char *iv, Bytes d) {
    return run(false, m, iv, d);
}
Bytes decipher_run(const Bytes &m, const unsigned char *iv, Bytes d) {
    return run(true, m, iv, d);
}

Bytes pattern(size_t blocks, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes d(blocks * 32);
    for (auto &b : d) b = uint8_t(rng());
    return d;
}

const unsigned char kIv[32] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

TEST(KeyWordInverse, KnownValuesAndTheDefiningProduct) {
    EXPECT_EQ(inverse64(0), 0u);
    EXPECT_EQ(inverse64(1), 0x5555555555555555u);
    std::mt19937_64 rng(7);
    for (int i = 0; i < 2000; i++) {
        uint64_t v = rng();
        if (i % 2) v |= uint64_t(1) << 63;
        const uint64_t z = inverse64(v);
        ASSERT_EQ((2 * v + 1) * (2 * z + 1), 1u) << std::hex << v;
        ASSERT_EQ(z * (2 * v + 1) + v, 0u) << std::hex << v;
    }
}

TEST(KeySchedule, InverseScheduleHoldsTheInverseOfEveryWord) {
    const Bytes m = material_from(3);
    Keys k;
    kagikazusakusei(m.data(), k.fwd, k.inv);
    for (int j = 0; j < 20; j++) {
        const uint64_t v = uint64_t(k.fwd[2 * j]) | uint64_t(k.fwd[2 * j + 1]) << 32;
        const uint64_t z = uint64_t(k.inv[2 * j]) | uint64_t(k.inv[2 * j + 1]) << 32;
        EXPECT_EQ(z, inverse64(v));
    }
    Keys again;
    kagikazusakusei(m.data(), again.fwd, again.inv);
    EXPECT_EQ(std::memcmp(&k, &again, sizeof k), 0);
}

// Recorded from this cipher: the ciphertext of a fixed run is the stored
// format of every archive and secret key file.
TEST(BlockCipher, FormatLockOfAKnownRun) {
    const Bytes c = encipher_run(material_from(11), kIv, pattern(3, 5));
    uint64_t digest = 0xcbf29ce484222325u;  // FNV-1a over all 96 bytes
    for (unsigned char b : c) digest = (digest ^ b) * 0x100000001b3u;
    EXPECT_EQ(digest, 11771816272389084607u);
}

TEST(BlockCipher, DecipherRestoresRunsOfEveryLength) {
    const Bytes m = material_from(1);
    for (size_t blocks : {0u, 1u, 2u, 3u, 127u, 128u, 129u, 1000u}) {
        const Bytes plain = pattern(blocks, uint32_t(blocks));
        const Bytes c = encipher_run(m, kIv, plain);
        EXPECT_EQ(decipher_run(m, kIv, c), plain) << blocks << " blocks";
    }
}

TEST(BlockCipher, ChainHoldsTheLastCiphertextBlock) {
    const Bytes m = material_from(2);
    Keys k;
    kagikazusakusei(m.data(), k.fwd, k.inv);
    unsigned char block[32] = {}, chain[32];
    std::memcpy(chain, kIv, 32);
    Rangou(block, chain, k.fwd);
    EXPECT_EQ(std::memcmp(block, chain, 32), 0);

    unsigned char consumed[32];
    std::memcpy(consumed, block, 32);
    kagikazusakusei(m.data(), k.fwd, k.inv);
    std::memcpy(chain, kIv, 32);
    Rfukugou(block, chain, k.fwd, k.inv);
    EXPECT_EQ(std::memcmp(chain, consumed, 32), 0);
    for (unsigned char b : block) EXPECT_EQ(b, 0);
}

TEST(BlockCipher, EqualPlainBlocksGiveDifferentCiphertext) {
    const Bytes c = encipher_run(material_from(4), kIv, Bytes(64, 0x42));
    EXPECT_NE(std::memcmp(c.data(), c.data() + 32, 32), 0);
}

TEST(BlockCipher, ChangedCiphertextBitSpoilsItsBlockAndOneBitOfTheNext) {
    const Bytes m = material_from(5);
    const Bytes plain = pattern(6, 9);
    Bytes c = encipher_run(m, kIv, plain);
    c[2 * 32 + 13] ^= 0x08;
    const Bytes d = decipher_run(m, kIv, c);
    EXPECT_EQ(std::memcmp(d.data(), plain.data(), 64), 0);
    int differing = 0;
    for (int i = 64; i < 96; i++) differing += d[i] != plain[i];
    EXPECT_GT(differing, 20);
    for (int i = 96; i < 128; i++) EXPECT_EQ(d[i], plain[i] ^ (i == 96 + 13 ? 0x08 : 0)) << i;
    EXPECT_EQ(std::memcmp(d.data() + 128, plain.data() + 128, 64), 0);
}

TEST(BlockCipher, WrongMaterialIvOrOrderGivesGarbage) {
    const Bytes m = material_from(6);
    const Bytes plain = pattern(4, 10);
    const Bytes c = encipher_run(m, kIv, plain);
    Bytes other_m = m;
    other_m[159] ^= 1;
    EXPECT_NE(decipher_run(other_m, kIv, c), plain);
    unsigned char other_iv[32];
    std::memcpy(other_iv, kIv, 32);
    other_iv[0] ^= 1;
    const Bytes d = decipher_run(m, other_iv, c);
    EXPECT_NE(std::memcmp(d.data(), plain.data(), 32), 0);
    EXPECT_EQ(std::memcmp(d.data() + 32, plain.data() + 32, 96), 0)
        << "only the first block depends on the initial chaining block";
    Bytes swapped = c;
    std::swap_ranges(swapped.begin(), swapped.begin() + 32, swapped.begin() + 32);
    EXPECT_NE(decipher_run(m, kIv, swapped), plain);

    // An extra use of the generator between key derivation and the blocks.
    Keys k;
    kagikazusakusei(m.data(), k.fwd, k.inv);
    makeransuu();
    Bytes e = c;
    unsigned char chain[32];
    std::memcpy(chain, kIv, 32);
    for (size_t off = 0; off < e.size(); off += 32) Rfukugou(&e[off], chain, k.fwd, k.inv);
    EXPECT_NE(e, plain);
}

}  // namespace
