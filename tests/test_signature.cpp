// Signatures and the tamper check: a signed file checks only with its
// signer's key and only while neither body nor trailer changes, the trailer
// lies where readers expect it, errors are told apart from mismatches, and a
// fixed signed file keeps checking in every build.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "files.h"
#include "quillcore.h"

namespace {

using Password = std::array<unsigned char, 160>;

Password password_block(const char *text) {
    Password p{};
    std::memcpy(p.data(), text, std::strlen(text));
    return p;
}

Bytes body_of(size_t length) {
    Bytes b(length);
    for (size_t i = 0; i < length; i++) b[i] = uint8_t(i * 31 + (i >> 3));
    return b;
}

uint32_t le32(const unsigned char *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const Password kPassword = password_block("signing pass 1");

struct Signature {
    uint32_t h[8];
    uint32_t s[40];
};

// Each test keeps its files in a scratch folder named after it.
class Signing : public ::testing::Test {
  protected:
    std::string path(const std::string &name) const { return dir_ / name; }

    // A key pair under kPassword; returns its secret and public paths.
    std::pair<std::string, std::string> key_pair(const std::string &name) {
        std::pair<std::string, std::string> paths(path(name + ".velh"), path(name + ".velk"));
        EXPECT_EQ(kagisakusei(paths.first.c_str(), paths.second.c_str(), kPassword.data()), 0);
        return paths;
    }

    // Writes body to archive, signs it with the secret key and appends the
    // trailer, as the encryption driver does.
    Signature sign(const std::string &secret, const std::string &archive, const Bytes &body) {
        write_file(archive, body);
        Signature sig{};
        EXPECT_EQ(syomeisakusei(secret.c_str(), kPassword.data(), archive.c_str(), sig.h, sig.s),
                  0);
        EXPECT_EQ(append(archive.c_str(), sig.h, sig.s), 0);
        return sig;
    }

  private:
    ScratchDir dir_{std::string("sig_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(Signing, ChecksOnlyWithTheSignersKey) {
    const auto signer = key_pair("signer"), other = key_pair("other");
    const std::string archive = path("a.velm");
    sign(signer.first, archive, body_of(1000));
    EXPECT_EQ(syomei_kakunin(archive.c_str(), signer.second.c_str()), 0);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), other.second.c_str()), -1);

    // A wrong password block is not noticed while signing; the signature
    // made with the wrong exponent never checks.
    write_file(archive, body_of(1000));
    Signature sig{};
    const Password wrong = password_block("signing pass 2");
    ASSERT_EQ(syomeisakusei(signer.first.c_str(), wrong.data(), archive.c_str(), sig.h, sig.s), 0);
    ASSERT_EQ(append(archive.c_str(), sig.h, sig.s), 0);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), signer.second.c_str()), -1);
}

TEST_F(Signing, TrailerFollowsTheBodyHashFirst) {
    const auto keys = key_pair("k");
    const std::string archive = path("a.velm");
    const Bytes body = body_of(1000);
    const Signature sig = sign(keys.first, archive, body);

    const Bytes file = read_file(archive);
    ASSERT_EQ(file.size(), 1000u + 192u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 1000), body);
    for (int i = 0; i < 8; i++) EXPECT_EQ(le32(&file[1000 + 4 * i]), sig.h[i]) << i;
    for (int i = 0; i < 40; i++) EXPECT_EQ(le32(&file[1032 + 4 * i]), sig.s[i]) << i;

    Signature read{};
    ASSERT_EQ(toridasi(archive.c_str(), read.h, read.s), 0);
    EXPECT_EQ(std::memcmp(read.h, sig.h, sizeof sig.h), 0);
    EXPECT_EQ(std::memcmp(read.s, sig.s, sizeof sig.s), 0);
}

TEST_F(Signing, AnyChangedByteIsAMismatch) {
    const auto keys = key_pair("k");
    const std::string archive = path("a.velm");
    sign(keys.first, archive, body_of(1000));
    const Bytes signed_file = read_file(archive);

    // Body from first to last byte, then both ends of h and of s.
    for (size_t offset : {0, 1, 63, 64, 500, 999, 1000, 1031, 1032, 1100, 1191}) {
        for (unsigned char flip : {0x01, 0x80}) {
            Bytes changed = signed_file;
            changed[offset] ^= flip;
            write_file(archive, changed);
            EXPECT_EQ(syomei_kakunin(archive.c_str(), keys.second.c_str()), -1)
                << "offset " << offset << " flip " << int(flip);
        }
    }
    write_file(archive, signed_file);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), keys.second.c_str()), 0);
}

TEST_F(Signing, ChangedLengthIsAMismatchOrAnError) {
    const auto keys = key_pair("k");
    const std::string archive = path("a.velm");
    sign(keys.first, archive, body_of(1000));
    const Bytes signed_file = read_file(archive);
    auto check_file = [&](Bytes data) {
        write_file(archive, data);
        return syomei_kakunin(archive.c_str(), keys.second.c_str());
    };

    Bytes longer = signed_file;
    longer.push_back(0);
    EXPECT_EQ(check_file(longer), -1);
    EXPECT_EQ(check_file(Bytes(signed_file.begin(), signed_file.begin() + 1000)), -1);
    EXPECT_EQ(check_file(Bytes(signed_file.end() - 192, signed_file.end())), -1);
    // No room for a trailer at all.
    EXPECT_EQ(check_file(Bytes(signed_file.begin(), signed_file.begin() + 191)), 1);
    EXPECT_EQ(check_file(Bytes()), 1);

    // An empty body signs and checks like any other.
    sign(keys.first, archive, Bytes());
    EXPECT_EQ(read_file(archive).size(), 192u);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), keys.second.c_str()), 0);
}

TEST_F(Signing, EverySignatureDrawsAFreshExponent) {
    const auto keys = key_pair("k");
    const std::string a1 = path("1.velm"), a2 = path("2.velm");
    const Signature s1 = sign(keys.first, a1, body_of(1000));
    const Signature s2 = sign(keys.first, a2, body_of(1000));
    EXPECT_NE(std::memcmp(s1.h, s2.h, sizeof s1.h), 0);
    EXPECT_NE(std::memcmp(s1.s, s2.s, sizeof s1.s), 0);
    EXPECT_EQ(syomei_kakunin(a1.c_str(), keys.second.c_str()), 0);
    EXPECT_EQ(syomei_kakunin(a2.c_str(), keys.second.c_str()), 0);
}

TEST_F(Signing, ErrorsAreToldApartFromMismatches) {
    const auto keys = key_pair("k");
    const std::string archive = path("a.velm");
    sign(keys.first, archive, body_of(1000));

    EXPECT_EQ(syomei_kakunin(path("missing.velm").c_str(), keys.second.c_str()), 1);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), path("missing.velk").c_str()), 1);
    const std::string not_base64 = path("text.velk");
    write_text(not_base64, "not a key\r\n");
    EXPECT_EQ(syomei_kakunin(archive.c_str(), not_base64.c_str()), 1);
    // A folder where a file is expected: nothing to read is an error, not an
    // empty key.
    EXPECT_EQ(syomei_kakunin(archive.c_str(), "."), 1);
    EXPECT_EQ(syomei_kakunin(".", keys.second.c_str()), 1);

    Signature sig{};
    EXPECT_EQ(syomeisakusei(path("missing.velh").c_str(), kPassword.data(), archive.c_str(), sig.h,
                            sig.s),
              1);
    EXPECT_EQ(syomeisakusei(".", kPassword.data(), archive.c_str(), sig.h, sig.s), 1);
    EXPECT_EQ(syomeisakusei(keys.first.c_str(), kPassword.data(), path("missing.velm").c_str(),
                            sig.h, sig.s),
              1);
    EXPECT_EQ(append("sig_no_such_folder/a.velm", sig.h, sig.s), 1);
    Signature read{};
    EXPECT_EQ(toridasi(path("missing.velm").c_str(), read.h, read.s), 1);
#if defined(__linux__)
    // A device that takes no bytes: the trailer is lost when it is flushed.
    EXPECT_EQ(append("/dev/full", sig.h, sig.s), 1);
#endif
}

// A body, a public key and a trailer made once with fixed exponents: every
// build must keep accepting archives signed in the past.
const char kGoldenPublic[] =
    "EXNQLIugWTTzKtWoQEu4KUk6crzWuZ/EADi1fPW6RQnqc69ySrKyg48Re9EEeMw9\r\n"
    "yLfv8OA0WLdbQwbWa6Ak3lhTdzl3QKM2tkYA/9TiLwa0y9mpkd+xKT9IISYy1QlB\r\n"
    "ZxdHrZePSENocjUb8qYsu9nxc81zPuk0jztL/pK+UKxv/ZuOfRL7I1Id/zZybgfo\r\n"
    "IAkUN7wuuZxr85RRrzquKA==\r\n";
const char kGoldenTrailer[] =
    "JJ6fsglMzhpkkNOh7s3Tfa82465CyrxBwIl1+Wp1U0EJoS+rswN8ZM0ItYtf/zXr\r\n"
    "Qi/RHpAp5Ov75THhafMwPekJs6E1tGsUUDmU8dSFsQ0Scjq3JETIaos0I7c17ZXR\r\n"
    "uhVzVgczj5PzuzimxUnsDLakOLduF1M8l/TXiLQQFXU9uidHy22ONya6OPCY1L0Y\r\n"
    "dlkKNpKW9r47qchM7w+5pzu6cRpWP5r32ou3Exh4QL0qSs5wkTopvTvzm9fAG3lc\r\n";

TEST_F(Signing, FixedSignedFileKeepsChecking) {
    const std::string pub = path("golden.velk"), archive = path("golden.velm");
    write_text(pub, kGoldenPublic);
    Bytes file = body_of(1000);
    unsigned char trailer[196] = {};
    ASSERT_EQ(decode64(kGoldenTrailer, trailer), 0);
    file.insert(file.end(), trailer, trailer + 192);
    write_file(archive, file);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), pub.c_str()), 0);

    file[500] ^= 1;
    write_file(archive, file);
    EXPECT_EQ(syomei_kakunin(archive.c_str(), pub.c_str()), -1);
}

}  // namespace
