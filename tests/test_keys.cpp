// Key pairs and key files: the exact text of both files, the record unlocking
// to the exponent of the public key, the password check, the readers' answer
// to altered key texts, and a fixed pair every build must reproduce.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "files.h"
#include "quillcore.h"

namespace {

using Num = std::array<uint32_t, 40>;
using Password = std::array<unsigned char, 160>;

Password password_block(const char *text) {
    Password p{};
    std::memcpy(p.data(), text, std::strlen(text));
    return p;
}

// A key text decoded into a zeroed area with room for the padding bytes.
Bytes decode(const std::string &text) {
    Bytes area(200);
    EXPECT_EQ(decode64(text.c_str(), area.data()), 0);
    return area;
}

std::string encode(const unsigned char *data, int32_t length) {
    std::vector<char> text(400, 0);
    encode64(data, length, text.data());
    return text.data();
}

uint32_t le32(const unsigned char *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Num to_num(const unsigned char *image) {
    Num n;
    for (int i = 0; i < 40; i++) n[i] = le32(image + 4 * i);
    return n;
}

std::string without(std::string text, char c) {
    text.erase(std::remove(text.begin(), text.end(), c), text.end());
    return text;
}

const Password kPassword = password_block("correct horse 8");

// Each test keeps its files in a scratch folder named after it.
// The library's boxes, recorded: caption and text.
std::vector<std::pair<std::string, std::string>> boxes;

int record_box(void *, const char *text, const char *caption, unsigned) {
    boxes.emplace_back(caption, text);
    return 1;
}

class KeyFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        boxes.clear();
        msgbox_set(record_box);
    }
    void TearDown() override { msgbox_set(nullptr); }
    std::string path(const std::string &name) const { return dir_ / name; }
    // A new pair under kPassword: secret path, public path.
    void create(std::string &secret, std::string &pub, const std::string &name = "k") {
        secret = path(name + ".velh");
        pub = path(name + ".velk");
        ASSERT_EQ(kagisakusei(secret.c_str(), pub.c_str(), kPassword.data()), 0);
    }

  private:
    ScratchDir dir_{std::string("keys_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(KeyFiles, BothFilesHaveTheirExactTextLayout) {
    std::string sec, pub;
    create(sec, pub);
    // Secret: four lines of 64 characters, each ended by CR LF, no padding.
    const std::string s = read_text(sec);
    ASSERT_EQ(s.size(), 264u);
    for (size_t at = 0; at < 264; at += 66) {
        EXPECT_EQ(s.substr(at, 66).find_first_of("\r\n="), 64u) << at;
        EXPECT_EQ(s.substr(at + 64, 2), "\r\n") << at;
    }
    // Public: three such lines, then 22 characters, "==" and CR LF.
    const std::string p = read_text(pub);
    ASSERT_EQ(p.size(), 224u);
    for (size_t at = 0; at < 198; at += 66) EXPECT_EQ(p.substr(at, 66).find_first_of("\r\n="), 64u);
    EXPECT_EQ(p.substr(198).find_first_of("\r\n="), 22u);
    EXPECT_EQ(p.substr(220), "==\r\n");
}

TEST_F(KeyFiles, RecordUnlocksToTheExponentOfThePublicKey) {
    std::string sec, pub;
    create(sec, pub);
    Bytes record = decode(read_text(sec));
    const Bytes image = decode(read_text(pub));
    EXPECT_EQ(image[160] | image[161], 0);  // the padding decodes to zero bytes

    // The digest of the whole password block follows in clear, word by word.
    uint32_t digest[8];
    SHA256_array(kPassword.data(), 160, digest);
    for (int i = 0; i < 8; i++) EXPECT_EQ(le32(&record[160 + 4 * i]), digest[i]) << i;

    himitukagifukugou(record.data(), kPassword.data());
    const Num d = to_num(record.data());
    EXPECT_EQ(d[39] >> 31, 0u);  // below 2^1279
    Num y;
    x_enujyou(d.data(), y.data());
    EXPECT_EQ(y, to_num(image.data()));
}

TEST_F(KeyFiles, PairsWithOnePasswordShareOnlyTheDigest) {
    std::string s1, p1, s2, p2;
    create(s1, p1, "1");
    create(s2, p2, "2");
    const Bytes r1 = decode(read_text(s1)), r2 = decode(read_text(s2));
    EXPECT_TRUE(std::equal(&r1[160], &r1[192], &r2[160]));
    EXPECT_FALSE(std::equal(&r1[0], &r1[160], &r2[0]));
    EXPECT_NE(read_text(p1), read_text(p2));
}

TEST_F(KeyFiles, PasswordCheckAcceptsOnlyTheCreationBlock) {
    std::string sec, pub;
    create(sec, pub);
    EXPECT_EQ(password_check(sec.c_str(), kPassword.data()), 0);
    // All 160 bytes count, also those after the text's end.
    for (size_t at : {100, 159}) {
        Password changed = kPassword;
        changed[at] = 1;
        EXPECT_EQ(password_check(sec.c_str(), changed.data()), 1) << at;
    }
    // So does every byte of the stored digest.
    const Bytes record = decode(read_text(sec));
    const std::string altered = path("altered.velh");
    for (size_t at : {160, 175, 191}) {
        Bytes changed = record;
        changed[at] ^= 1;
        write_text(altered, encode(changed.data(), 192));
        EXPECT_EQ(password_check(altered.c_str(), kPassword.data()), 1) << at;
    }
    // Files that hold no digest: missing, empty, a folder, a public key.
    const std::string empty = path("empty.velh");
    write_text(empty, "");
    for (const std::string &p : {path("missing.velh"), empty, std::string("."), pub})
        EXPECT_EQ(password_check(p.c_str(), kPassword.data()), 1) << p;
}

// Altered key texts through the exported functions that load keys:
// password_check for the secret key, syomei_kakunin for the public key.
TEST_F(KeyFiles, ReadersSkipLineEndsAndRejectForeignText) {
    std::string sec, pub;
    create(sec, pub);
    const std::string archive = path("a.velm");
    write_text(archive, std::string(300, 'q'));
    uint32_t h[8], s[40];
    ASSERT_EQ(syomeisakusei(sec.c_str(), kPassword.data(), archive.c_str(), h, s), 0);
    ASSERT_EQ(append(archive.c_str(), h, s), 0);

    const std::string s_text = read_text(sec), p_text = read_text(pub);
    const std::string variant_s = path("v.velh"), variant_p = path("v.velk");
    auto secret_loads = [&](const std::string &text) {
        write_text(variant_s, text);
        return password_check(variant_s.c_str(), kPassword.data());
    };
    auto public_checks = [&](const std::string &text) {
        write_text(variant_p, text);
        return syomei_kakunin(archive.c_str(), variant_p.c_str());
    };

    // Line ends anywhere, or none, give the same key.
    EXPECT_EQ(secret_loads(without(s_text, '\r')), 0);
    EXPECT_EQ(public_checks(without(p_text, '\r')), 0);
    EXPECT_EQ(secret_loads(s_text + "\r\n"), 0);
    EXPECT_EQ(public_checks("\n\n" + p_text + "\r\n"), 0);
    EXPECT_EQ(secret_loads(without(without(s_text, '\r'), '\n')), 0);

    // A character outside the alphabet, or a group cut short, fails.
    std::string spaced = s_text;
    spaced[10] = ' ';
    EXPECT_EQ(secret_loads(spaced), 1);
    EXPECT_EQ(secret_loads(s_text + " "), 1);
    spaced = p_text;
    spaced[100] = ' ';
    EXPECT_EQ(public_checks(spaced), 1);
    EXPECT_EQ(public_checks(p_text.substr(0, 221)), 1);

    // Text that decodes to more than the area (164 and 196 bytes) fails,
    // also when the file is longer than a reader takes in.
    EXPECT_EQ(public_checks(p_text + "AAAA"), 1);
    EXPECT_EQ(secret_loads(s_text + "AAAAAAAA"), 1);
    EXPECT_EQ(public_checks(std::string(400, 'A')), 1);
    EXPECT_EQ(secret_loads(std::string(400, 'A')), 1);

    // One kind of key file where the other is expected.
    EXPECT_EQ(public_checks(s_text), 1);
    EXPECT_EQ(secret_loads(p_text), 1);
}

// A pair that cannot be written whole is not written at all: no secret key
// without its public key, and nothing put where a file does not belong.
TEST_F(KeyFiles, CreationWritesBothFilesOrNeither) {
    const std::string sec = path("s.velh");
    EXPECT_EQ(kagisakusei("keys_no_such_folder/s.velh", path("p.velk").c_str(), kPassword.data()),
              1);
    EXPECT_EQ(kagisakusei(sec.c_str(), "keys_no_such_folder/p.velk", kPassword.data()), 1);
    EXPECT_FALSE(fs::exists(sec));
    EXPECT_FALSE(fs::exists(path("p.velk")));
    // Each failure names the file it could not make.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].first, "keys_no_such_folder/s.velh");
    EXPECT_EQ(boxes[1].first, "keys_no_such_folder/p.velk");
#if defined(__linux__)
    // A device at either name is never replaced by a key file.
    EXPECT_EQ(kagisakusei("/dev/full", path("p2.velk").c_str(), kPassword.data()), 1);
    EXPECT_EQ(kagisakusei(path("s2.velh").c_str(), "/dev/full", kPassword.data()), 1);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_FALSE(fs::exists(path("p2.velk")));
    EXPECT_FALSE(fs::exists(path("s2.velh")));
#endif
    for (const auto &e : fs::directory_iterator(path("")))
        EXPECT_EQ(e.path().filename().string().find(".quillseal-"), std::string::npos);
}

// What a creation stopped outright left (its process is gone) is settled
// by the next one: nothing committed is undone, a committed public key is
// joined by its secret key.
TEST_F(KeyFiles, CreationLeftUnfinishedIsSettled) {
    std::string sec, pub;
    create(sec, pub);
    const std::string old_secret = read_text(sec), old_public = read_text(pub);
    std::string new_sec, new_pub;
    create(new_sec, new_pub, "new");
    // Pending names of a process number no process has; the tag is the
    // start of the SHA-256 of the key file's name.
    const auto pending = [&](const char *name) {
        uint32_t h[8];
        SHA256_array(reinterpret_cast<const unsigned char *>(name), uint32_t(strlen(name)), h);
        char tag[9];
        snprintf(tag, sizeof tag, "%08x", unsigned(h[0]));
        return path(std::string(".quillseal-2147483600-") + tag + ".new");
    };
    const auto leave = [&](const char *name, const std::string &from) {
        write_text(pending(name), read_text(from));
    };
    EXPECT_EQ(kagi_shuufuku(sec.c_str(), pub.c_str()), 0);
    leave("k.velh", new_sec);
    leave("k.velk", new_pub);
    EXPECT_EQ(kagi_shuufuku(sec.c_str(), pub.c_str()), 3);
    EXPECT_EQ(read_text(sec), old_secret);
    EXPECT_EQ(read_text(pub), old_public);
    leave("k.velk", new_pub);
    EXPECT_EQ(kagi_shuufuku(sec.c_str(), pub.c_str()), 3);
    // The public key in place, its secret key still pending.
    write_text(pub, read_text(new_pub));
    leave("k.velh", new_sec);
    EXPECT_EQ(kagi_shuufuku(sec.c_str(), pub.c_str()), 2);
    EXPECT_EQ(read_text(sec), read_text(new_sec));
    EXPECT_EQ(password_check(sec.c_str(), kPassword.data()), 0);
    for (const char *name : {"k.velh", "k.velk"}) EXPECT_FALSE(fs::exists(pending(name)));
    EXPECT_EQ(boxes.size(), 3u);
}

// A fixed exponent and password: every build, now and later, must write
// exactly these texts and open them.
const char kGoldenSecret[] =
    "jRozdYGu/JbrG2XFU2wg5MRbEj5FmafkmcAkonAAAJ2aorLpahbf/nq5c/4k+WbL\r\n"
    "vGs7R2TnBDmSLCQs8IpWl5vHuNWuKO6xt8zSA6A8GnhaOOD/zOcDhDgvhPBRvODl\r\n"
    "WwucG0lGKigguMAFBanN4ApsJ2PBgAovPxVQ5CYpvbN0v319TDfBAFs8v/TkUO+t\r\n"
    "IteoTf1Lg7sPTOUwW+JPsFT7uLmC6wFH6/4wPo8PUm9um3VGgWC5lAssqgYYHpCW\r\n";
const char kGoldenPublic[] =
    "EXNQLIugWTTzKtWoQEu4KUk6crzWuZ/EADi1fPW6RQnqc69ySrKyg48Re9EEeMw9\r\n"
    "yLfv8OA0WLdbQwbWa6Ak3lhTdzl3QKM2tkYA/9TiLwa0y9mpkd+xKT9IISYy1QlB\r\n"
    "ZxdHrZePSENocjUb8qYsu9nxc81zPuk0jztL/pK+UKxv/ZuOfRL7I1Id/zZybgfo\r\n"
    "IAkUN7wuuZxr85RRrzquKA==\r\n";

TEST_F(KeyFiles, FixedKeyPairHasFixedTexts) {
    const Password golden = password_block("golden password");
    Bytes record(192);
    for (size_t i = 0; i < 160; i++) record[i] = uint8_t(i * 167 + 13);
    record[159] &= 0x7F;
    const Bytes d = record;
    Num y;
    x_enujyou(to_num(d.data()).data(), y.data());
    Bytes image(160);
    for (size_t i = 0; i < 160; i++) image[i] = uint8_t(y[i / 4] >> (8 * (i % 4)));
    EXPECT_EQ(encode(image.data(), 160), kGoldenPublic);

    himitukagiangou(record.data(), golden.data());
    EXPECT_EQ(encode(record.data(), 192), kGoldenSecret);
    himitukagifukugou(record.data(), golden.data());
    EXPECT_TRUE(std::equal(&d[0], &d[160], &record[0]));

    const std::string sec = path("golden.velh");
    write_text(sec, kGoldenSecret);
    EXPECT_EQ(password_check(sec.c_str(), golden.data()), 0);
}

}  // namespace
