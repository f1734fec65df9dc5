#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillcore.h"
#include "symmetric/base64.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Bytes that differ from position to position.
Bytes pattern(size_t n) {
    Bytes v(n);
    for (size_t i = 0; i < n; i++) v[i] = uint8_t(i * 37 + 11);
    return v;
}

// Encodes into a buffer filled with '#', a character encode64 never writes,
// and returns everything before the first '#': exactly what was written.
std::string encode(const Bytes &data) {
    std::vector<char> buf(data.size() * 2 + 64, '#');
    encode64(data.data(), int32_t(data.size()), buf.data());
    std::string text(buf.begin(), buf.end());
    return text.substr(0, text.find('#'));
}

std::string without_line_ends(const std::string &s) {
    std::string out;
    for (char c : s) {
        if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

std::vector<size_t> cr_positions(const std::string &s) {
    std::vector<size_t> at;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '\r') at.push_back(i);
    }
    return at;
}

const unsigned char guard = 0xEE;

// Decodes into an area of room bytes followed by a guard region and checks
// that the guard survived. Returns decode64's result; out receives the area.
int32_t decode_guarded(const std::string &text, size_t room, Bytes *out) {
    Bytes area(room + 32, guard);
    const int32_t r = decode64(text.c_str(), area.data());
    for (size_t i = room; i < area.size(); i++) {
        EXPECT_EQ(area[i], guard) << "written past the area at " << i;
    }
    out->assign(area.begin(), area.begin() + room);
    return r;
}

}  // namespace

// ---- encoding ----------------------------------------------------------------

TEST(Base64Encode, StandardVectorsWithLineEnds) {
    // A padded last group is followed by CR LF; an unpadded text ends bare.
    const struct {
        const char *in, *out;
    } cases[] = {
        {"", ""},
        {"f", "Zg==\r\n"},
        {"fo", "Zm8=\r\n"},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg==\r\n"},
        {"fooba", "Zm9vYmE=\r\n"},
        {"foobar", "Zm9vYmFy"},
        {"\xff\xfe\xfd", "//79"},
    };
    for (const auto &c : cases) {
        const std::string in = c.in;
        EXPECT_EQ(encode(Bytes(in.begin(), in.end())), c.out) << '"' << c.in << '"';
    }
}

TEST(Base64Encode, LineLayoutOfKeyAndHashLengths) {
    // A 32-byte hash value: 43 characters, "=", CR LF.
    Bytes counting(32);
    for (size_t i = 0; i < counting.size(); i++) counting[i] = uint8_t(i);
    EXPECT_EQ(encode(counting), "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=\r\n");

    const struct {
        size_t n, length;
        std::vector<size_t> crs;
        size_t pads;
    } cases[] = {
        {32, 46, {44}, 1},
        {48, 66, {64}, 0},  // one full line, nothing after its CR LF
        {49, 72, {64, 70}, 2},
        {160, 224, {64, 130, 196, 222}, 2},  // public key file
        {192, 264, {64, 130, 196, 262}, 0},  // secret key file
    };
    for (const auto &c : cases) {
        const std::string text = encode(pattern(c.n));
        ASSERT_EQ(text.size(), c.length) << c.n << " bytes";
        EXPECT_EQ(cr_positions(text), c.crs) << c.n << " bytes";
        for (size_t at : c.crs) EXPECT_EQ(text[at + 1], '\n') << c.n << " bytes";
        const std::string body = without_line_ends(text);
        EXPECT_EQ(body.size() % 4, 0u);
        EXPECT_EQ(body.size() - body.find_last_not_of('='), c.pads + 1) << c.n << " bytes";
    }
}

TEST(Base64Encode, NegativeLengthWritesNothing) {
    const Bytes data = pattern(10);
    char buf[16];
    std::fill(buf, buf + sizeof buf, '#');
    encode64(data.data(), -3, buf);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(sizeof buf, '#'));
}

// ---- decoding ----------------------------------------------------------------

TEST(Base64Decode, RoundTripsEveryLengthUpTo200) {
    for (size_t n = 0; n <= 200; n++) {
        const Bytes data = pattern(n);
        // Every group writes three bytes, padded ones included.
        const size_t written = (n + 2) / 3 * 3;
        Bytes out;
        ASSERT_EQ(decode_guarded(encode(data), written, &out), 0) << n << " bytes";
        EXPECT_EQ(Bytes(out.begin(), out.begin() + n), data) << n << " bytes";
        EXPECT_EQ(Bytes(out.begin() + n, out.end()), Bytes(written - n, 0)) << n << " bytes";
    }
}

TEST(Base64Decode, LineEndsAreSkippedWhereverTheyStand) {
    const Bytes data = pattern(192);
    const std::string text = encode(data);
    const std::string bare = without_line_ends(text);

    std::string moved, lf_only, cr_only;
    for (size_t i = 0; i < bare.size(); i++) {
        moved += bare[i];
        if (i % 5 == 2) moved += "\r\n";
        if (i % 64 == 63) lf_only += '\n';
        lf_only += bare[i];
        cr_only += '\r';
        cr_only += bare[i];
    }
    for (const std::string &t : {bare, moved, lf_only, cr_only, "\r\n" + text + "\r\n\n"}) {
        Bytes out;
        EXPECT_EQ(decode_guarded(t, 192, &out), 0) << t;
        EXPECT_EQ(out, data) << t;
    }
}

TEST(Base64Decode, RejectsCharactersOutsideTheAlphabet) {
    const std::string text = encode(pattern(48));
    const std::vector<std::string> bad = {text + " ", text + "\t",    "Zm9v-Zm9v", "Zm 9v",
                                          "Zm9v.",    "Zm9v\x82\xa0", "Zm9v\x1a"};
    for (const std::string &t : bad) {
        Bytes out;
        EXPECT_EQ(decode_guarded(t, 64, &out), 1) << t;
    }
}

TEST(Base64Decode, RejectsAnIncompleteLastGroup) {
    for (const char *t : {"Z", "Zm9", "Zm9vY", "Zm9vYg=", "Zm9vYmE\r\n"}) {
        Bytes out;
        EXPECT_EQ(decode_guarded(t, 16, &out), 1) << t;
    }
}

TEST(Base64Decode, EmptyTextSucceedsAndWritesNothing) {
    for (const char *t : {"", "\r\n", "\n\n\r"}) {
        Bytes out;
        EXPECT_EQ(decode_guarded(t, 0, &out), 0) << t;
    }
}

TEST(Base64Decode, GroupDecoderChecksAllFourCharacters) {
    unsigned char out[3] = {guard, guard, guard};
    EXPECT_EQ(decode_str("TWFu", out), 0);
    EXPECT_EQ(std::string(out, out + 3), "Man");
    // "=" reads as zero wherever it stands.
    EXPECT_EQ(decode_str("A=A=", out), 0);
    EXPECT_EQ(std::string(out, out + 3), std::string("\x00\x00\x00", 3));

    for (const char *bad : {"TWF ", "*WFu", "TW\nu", "TWF\x80"}) {
        unsigned char untouched[3] = {guard, guard, guard};
        EXPECT_EQ(decode_str(bad, untouched), 1) << bad;
        EXPECT_EQ(Bytes(untouched, untouched + 3), Bytes(3, guard)) << bad;
    }
}

// ---- bounded decoding for key-file readers -----------------------------------

TEST(Base64Bounded, AgreesWithDecode64WhenTheAreaIsLargeEnough) {
    const std::string key_text = encode(pattern(160));
    for (const std::string &t :
         {key_text, encode(pattern(192)), std::string(), key_text + " ", std::string("Zm9vY")}) {
        Bytes a(256, 0), b(256, 0);
        EXPECT_EQ(quill::decode64_bounded(t.c_str(), a.data(), 256), decode64(t.c_str(), b.data()));
        EXPECT_EQ(a, b);
    }
}

TEST(Base64Bounded, KeyFilesFitTheReadersAreas) {
    // The readers' areas: 164 bytes for a public key, 196 for a secret key.
    Bytes area(164 + 32, guard);
    EXPECT_EQ(quill::decode64_bounded(encode(pattern(160)).c_str(), area.data(), 164), 0);
    EXPECT_EQ(Bytes(area.begin(), area.begin() + 160), pattern(160));
    EXPECT_EQ(Bytes(area.begin() + 164, area.end()), Bytes(32, guard));

    area.assign(196 + 32, guard);
    EXPECT_EQ(quill::decode64_bounded(encode(pattern(192)).c_str(), area.data(), 196), 0);
    EXPECT_EQ(Bytes(area.begin(), area.begin() + 192), pattern(192));
    EXPECT_EQ(Bytes(area.begin() + 196, area.end()), Bytes(32, guard));
}

TEST(Base64Bounded, RefusesTextLongerThanTheAreaWithoutWritingPastIt) {
    const struct {
        size_t data, capacity;
    } cases[] = {
        {160, 161},  // the last group would straddle the end
        {192, 164},  // a secret key file where a public key is expected
        {300, 196}, {3, 2}, {3, 0},
    };
    for (const auto &c : cases) {
        const std::string text = encode(pattern(c.data));
        Bytes area(c.capacity + 64, guard);
        EXPECT_EQ(quill::decode64_bounded(text.c_str(), area.data(), c.capacity), 1)
            << c.data << " bytes into " << c.capacity;
        EXPECT_EQ(Bytes(area.begin() + c.capacity, area.end()), Bytes(64, guard))
            << c.data << " bytes into " << c.capacity;
    }
}
