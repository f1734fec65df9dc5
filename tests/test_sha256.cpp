#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files.h"
#include "quillcore.h"

namespace {

using Digest = std::vector<uint32_t>;

Digest hash_array(const std::vector<unsigned char> &data) {
    uint32_t state[8];
    SHA256_array(data.data(), uint32_t(data.size()), state);
    return Digest(state, state + 8);
}

// Bytes that differ from position to position, so a misplaced byte shows.
std::vector<unsigned char> pattern(size_t n) {
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; i++) v[i] = uint8_t(i * 7 + 3);
    return v;
}

std::vector<unsigned char> extra_value() {
    std::vector<unsigned char> v(160);
    for (size_t i = 0; i < v.size(); i++) v[i] = uint8_t(0xA0 ^ i * 13);
    return v;
}

}  // namespace

// ---- known answers -----------------------------------------------------------

TEST(Sha256Vectors, StandardMessages) {
    EXPECT_EQ(hash_array(bytes_of("abc")),
              (Digest{0xBA7816BF, 0x8F01CFEA, 0x414140DE, 0x5DAE2223, 0xB00361A3, 0x96177A9C,
                      0xB410FF61, 0xF20015AD}));
    // Key files and archives store each word least significant byte first, so
    // the 32-byte form of "abc" begins BF 16 78 BA.
    const uint32_t h0 = hash_array(bytes_of("abc"))[0];
    EXPECT_EQ(std::vector<unsigned char>(
                  {uint8_t(h0), uint8_t(h0 >> 8), uint8_t(h0 >> 16), uint8_t(h0 >> 24)}),
              std::vector<unsigned char>({0xBF, 0x16, 0x78, 0xBA}));
    EXPECT_EQ(hash_array({}), (Digest{0xE3B0C442, 0x98FC1C14, 0x9AFBF4C8, 0x996FB924, 0x27AE41E4,
                                      0x649B934C, 0xA495991B, 0x7852B855}));
    EXPECT_EQ(hash_array(bytes_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              (Digest{0x248D6A61, 0xD20638B8, 0xE5C02693, 0x0C3E6039, 0xA33CE459, 0x64FF2167,
                      0xF6ECEDD4, 0x19DB06C1}));
    EXPECT_EQ(hash_array(bytes_of("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklm"
                                  "noijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu")),
              (Digest{0xCF5B16A7, 0x78AF8380, 0x036CE59E, 0x7B049237, 0x0B249B11, 0xE8F07A51,
                      0xAFAC4503, 0x7AFEE9D1}));
    EXPECT_EQ(hash_array(std::vector<unsigned char>(1000000, 'a')),
              (Digest{0xCDC76E5C, 0x9914FB92, 0x81A1C7E2, 0x84D73E67, 0xF1809A48, 0xA497200E,
                      0x046D39CC, 0xC7112CD0}));
}

TEST(Sha256Vectors, PaddingBoundaries) {
    // 55 bytes leave room for the length in the last block; 56 and 63 need a
    // second padding block; 64 gets a padding block of its own.
    struct Case {
        size_t n;
        Digest want;
    } cases[] = {
        {55,
         {0x9F4390F8, 0xD30C2DD9, 0x2EC9F095, 0xB65E2B9A, 0xE9B0A925, 0xA5258E24, 0x1C9F1E91,
          0x0F734318}},
        {56,
         {0xB35439A4, 0xAC6F0948, 0xB6D6F9E3, 0xC6AF0F5F, 0x590CE20F, 0x1BDE7090, 0xEF797068,
          0x6EC6738A}},
        {63,
         {0x7D3E74A0, 0x5D7DB15B, 0xCE4AD9EC, 0x0658EA98, 0xE3F06EEE, 0xCF16B4C6, 0xFFF2DA45,
          0x7DDC2F34}},
        {64,
         {0xFFE054FE, 0x7AE0CB6D, 0xC65C3AF9, 0xB61D5209, 0xF439851D, 0xB43D0BA5, 0x997337DF,
          0x154668EB}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(hash_array(std::vector<unsigned char>(c.n, 'a')), c.want) << c.n << " bytes";
    }
}

TEST(Sha256Vectors, FinishEncodesSixtyFourBitLengths) {
    // Only the last block depends on the total, so huge totals can be checked
    // without hashing that much: the initial state is finished as if that many
    // bytes had gone before. These cover lengths of 2^29 bytes and more, where
    // the bit count spills into the high word.
    struct Case {
        const char *rest;
        uint32_t lo, hi;
        Digest want;
    } cases[] = {
        {"",
         0x20000000,
         0,
         {0x0631D340, 0x41C92E76, 0xB584F892, 0x29435269, 0x82F9053A, 0x1B7895AE, 0xAE06F641,
          0xDF905370}},
        {"",
         0,
         1,
         {0x7CCF0D39, 0x9639597C, 0x6AC9BD86, 0x8695EA3B, 0xDCBA23E3, 0x3DA8CB4E, 0x089E20CD,
          0xFF2E3300}},
        {"",
         0xFFFFFFC0,
         0x12345678,
         {0xEE708D45, 0xCA1C4775, 0x7EFD66DB, 0xBD26A456, 0xF3A5399E, 0x90B06EAC, 0xED0EC47D,
          0xF1C1EC73}},
        {"hello",
         0x80000005,
         0,
         {0x9B28E848, 0x775CC6C9, 0x98B2C638, 0xE5F97F4B, 0xA708E777, 0xD21AF3E5, 0x6CCF3F89,
          0x08F075BA}},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
         0xE000003B,
         2,
         {0x6B21A427, 0x8DE1E5EC, 0x44DBB6BD, 0x5BB30CC8, 0x873217E5, 0x76DE99FA, 0x5EE3C95E,
          0x0B00A04C}},
    };
    for (const Case &c : cases) {
        uint32_t state[8], work[64];
        SHA256_int(state);
        std::memcpy(work, c.rest, std::strlen(c.rest));
        SHA256_finish(state, work, c.lo, c.hi);
        EXPECT_EQ(Digest(state, state + 8), c.want) << std::hex << c.hi << ":" << c.lo;
    }
}

// ---- self consistency --------------------------------------------------------

TEST(Sha256Streaming, CallerDrivenBlocksEqualOneShot) {
    // A caller's own loop over SHA256_process and SHA256_finish, with a work
    // area full of leftovers behind the last bytes, gives the one-shot value.
    const std::vector<unsigned char> msg = pattern(300);
    for (size_t n = 0; n <= msg.size(); n++) {
        uint32_t state[8], work[64];
        SHA256_int(state);
        size_t done = 0;
        for (; done + 64 <= n; done += 64) {
            std::memcpy(work, msg.data() + done, 64);
            SHA256_process(state, work);
        }
        std::memset(work, 0xA5, sizeof work);
        std::memcpy(work, msg.data() + done, n - done);
        SHA256_finish(state, work, uint32_t(n), 0);
        EXPECT_EQ(Digest(state, state + 8),
                  hash_array(std::vector<unsigned char>(msg.begin(), msg.begin() + n)))
            << n << " bytes";
    }
}

// ---- files -------------------------------------------------------------------

TEST(Sha256File, EqualsArrayOverTheFileBytes) {
    // Sizes around the block and around the 4096-byte read buffer.
    const ScratchDir d("sha256_file");
    const std::string name = d / "f.bin";
    for (size_t n : {0, 1, 55, 63, 64, 65, 4095, 4096, 4097, 10000}) {
        const std::vector<unsigned char> data = pattern(n);
        write_file(name, data);
        uint32_t state[8];
        EXPECT_EQ(SHA256(name.c_str(), state), 0);
        EXPECT_EQ(Digest(state, state + 8), hash_array(data)) << n << " bytes";
    }
}

TEST(Sha256File, MissingFileFails) {
    const ScratchDir d("sha256_missing");
    const std::string missing = d / "missing.bin";
    uint32_t state[8];
    EXPECT_EQ(SHA256(missing.c_str(), state), 1);
    EXPECT_EQ(SHA256R(missing.c_str(), 0, extra_value().data(), state), 1);
}

TEST(Sha256File, PrefixWithExtraEqualsArrayOverConcatenation) {
    const ScratchDir d("sha256_prefix");
    const std::string name = d / "f.bin";
    const std::vector<unsigned char> data = pattern(9000);
    const std::vector<unsigned char> extra = extra_value();
    write_file(name, data);
    for (int64_t count : {0, 1, 63, 64, 65, 96, 97, 127, 128, 4095, 4096, 4097, 8192, 9000}) {
        std::vector<unsigned char> msg(data.begin(), data.begin() + count);
        msg.insert(msg.end(), extra.begin(), extra.end());
        uint32_t state[8];
        EXPECT_EQ(SHA256R(name.c_str(), count, extra.data(), state), 0);
        EXPECT_EQ(Digest(state, state + 8), hash_array(msg)) << count << " bytes of the file";
    }
}

TEST(Sha256File, PrefixCountOutsideTheFileFails) {
    const ScratchDir d("sha256_short");
    const std::string name = d / "f.bin";
    write_file(name, pattern(100));
    uint32_t state[8];
    EXPECT_EQ(SHA256R(name.c_str(), 101, extra_value().data(), state), 1);
    EXPECT_EQ(SHA256R(name.c_str(), 5000, extra_value().data(), state), 1);
    EXPECT_EQ(SHA256R(name.c_str(), -1, extra_value().data(), state), 1);
    EXPECT_EQ(SHA256R(name.c_str(), INT64_MIN, extra_value().data(), state), 1);
    EXPECT_EQ(SHA256R(name.c_str(), 100, extra_value().data(), state), 0);
}
