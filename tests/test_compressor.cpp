// The compressed entries' zlib stream: the same bytes on any number of
// threads, inflating to the input at every piece edge however it is fed,
// evenly spread pieces stored and text kept at deflate's own ratio.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "engine/compressor.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr size_t kPiece = quill::kDeflatePieceBytes;

// Words from a small vocabulary: text deflate shrinks well.
Bytes text(size_t n, uint32_t seed) {
    static const char *words[] = {"archive ", "key ", "folder ", "signature\n", "block ",
                                  "stream ",  "of ",  "the ",    "password ",   "entry "};
    Bytes out;
    while (out.size() < n) {
        seed = seed * 1103515245 + 12345;
        const char *w = words[(seed >> 16) % 10];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(n);
    return out;
}

// Bytes as evenly spread as random ones.
Bytes noise(size_t n, uint32_t seed) {
    Bytes out(n);
    for (auto &b : out) {
        seed = seed * 1664525 + 1013904223;
        b = uint8_t(seed >> 24);
    }
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class FromBytes : public quill::ByteSource {
  public:
    explicit FromBytes(const Bytes &b, size_t fail_at = SIZE_MAX) : b_(b), fail_at_(fail_at) {}
    bool read(unsigned char *to, size_t n) override {
        if (at_ + n > fail_at_) return false;
        if (n != 0) std::memcpy(to, b_.data() + at_, n);
        at_ += n;
        return true;
    }

  private:
    const Bytes &b_;
    size_t at_ = 0, fail_at_;
};

// Everything put, and where each stream ended.
class ToBytes : public quill::ByteOut {
  public:
    void put(const unsigned char *bytes, size_t n) override { b.insert(b.end(), bytes, bytes + n); }
    void end_stream() override { ends.push_back(b.size()); }
    Bytes b;
    std::vector<size_t> ends;
};

Bytes compress(const Bytes &in, size_t threads) {
    quill::Compressor c(threads);
    EXPECT_TRUE(c.usable());
    FromBytes src(in);
    ToBytes out;
    EXPECT_TRUE(c.add(nullptr, 0, in.size(), src, out));
    EXPECT_TRUE(c.flush(out));
    return out.b;
}

// Inflates the whole stream fed feed bytes at a time; it must end exactly at
// the stream's last byte.
Bytes inflate_fed(const Bytes &z, size_t feed) {
    z_stream s{};
    EXPECT_EQ(inflateInit(&s), Z_OK);
    Bytes out;
    unsigned char piece[4096];
    int rc = Z_OK;
    for (size_t at = 0; rc != Z_STREAM_END && at < z.size();) {
        const size_t n = z.size() - at < feed ? z.size() - at : feed;
        s.next_in = const_cast<unsigned char *>(z.data() + at);
        s.avail_in = uInt(n);
        do {
            s.next_out = piece;
            s.avail_out = sizeof piece;
            rc = inflate(&s, Z_NO_FLUSH);
            EXPECT_TRUE(rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR) << rc;
            out.insert(out.end(), piece, piece + sizeof piece - s.avail_out);
        } while (rc != Z_STREAM_END && (s.avail_in != 0 || s.avail_out == 0));
        at += n - s.avail_in;
        if (rc == Z_STREAM_END) {
            EXPECT_EQ(at, z.size());
        }
    }
    EXPECT_EQ(rc, Z_STREAM_END);
    inflateEnd(&s);
    return out;
}

size_t zlib_alone(const Bytes &in) {
    uLongf n = compressBound(uLong(in.size()));
    Bytes out(n);
    EXPECT_EQ(compress2(out.data(), &n, in.data(), uLong(in.size()), 6), Z_OK);
    return n;
}

// Files one after another through one compressor, each behind its prefix,
// as the entries of an archive go; small ones share their slots, more of
// them than one slot takes, by count and by bytes.
TEST(Compressor, SameStreamsOnAnyNumberOfThreads) {
    std::vector<Bytes> files = {
        join({text(2 * kPiece + 100, 1), noise(kPiece + 5000, 2), text(kPiece, 3)}), text(0, 0),
        text(300, 4), join({noise(3 * kPiece, 4), text(777, 5)}), noise(20000, 6)};
    for (uint32_t k = 0; k < 40; k++)
        files.push_back(k % 3 ? text(k * 997 % 9000, k) : noise(k * 511, k));
    files.push_back(text(kPiece, 50));
    std::vector<Bytes> outs;
    for (size_t threads : {0, 1, 2, 16}) {
        quill::Compressor c(threads);
        ToBytes out;
        for (size_t i = 0; i < files.size(); i++) {
            FromBytes src(files[i]);
            const unsigned char prefix[3] = {'P', uint8_t(i), 'Q'};
            ASSERT_TRUE(c.add(prefix, sizeof prefix, files[i].size(), src, out));
        }
        ASSERT_TRUE(c.flush(out));
        ASSERT_EQ(out.ends.size(), files.size());
        size_t at = 0;
        for (size_t i = 0; i < files.size(); i++) {
            EXPECT_EQ(out.b[at], 'P');
            EXPECT_EQ(out.b[at + 1], i);
            const Bytes stream(out.b.begin() + long(at) + 3, out.b.begin() + long(out.ends[i]));
            EXPECT_EQ(inflate_fed(stream, stream.size()), files[i]) << threads << " " << i;
            at = out.ends[i];
        }
        outs.push_back(out.b);
    }
    for (const Bytes &o : outs) EXPECT_EQ(o, outs[0]);
}

TEST(Compressor, InflatesToItsInputAtEveryPieceEdge) {
    for (size_t n :
         {size_t(0), size_t(1), kPiece - 1, kPiece, kPiece + 1, 2 * kPiece, 3 * kPiece + 33}) {
        for (const Bytes &in : {text(n, uint32_t(n)), noise(n, uint32_t(n))}) {
            const Bytes z = compress(in, 2);
            ASSERT_GE(z.size(), 2u);
            EXPECT_EQ(z[0], 0x78);
            EXPECT_EQ(z[1], 0x9C);
            // Whole, and in the 32-byte steps of the archive's blocks.
            EXPECT_EQ(inflate_fed(z, z.size()), in) << n;
            EXPECT_EQ(inflate_fed(z, 32), in) << n;
        }
    }
}

TEST(Compressor, EvenlySpreadPiecesStoredTextAtDeflatesRatio) {
    const Bytes random = noise(4 * kPiece, 9);
    // Stored blocks of at most 65535 bytes, each with 5 bytes in front, and
    // the stream's 6.
    EXPECT_LE(compress(random, 2).size(), random.size() + 5 * (random.size() / 65535 + 4) + 6);
    const Bytes words = text(6 * kPiece, 7);
    EXPECT_LE(double(compress(words, 2).size()), 1.01 * double(zlib_alone(words)));
    // Evenly spread and still full of repeats: deflated, not stored.
    Bytes counter(4 * kPiece);
    for (size_t i = 0; i < counter.size(); i++) counter[i] = uint8_t((i * 131) >> 7);
    EXPECT_LT(compress(counter, 2).size(), counter.size() / 10);
    // Random bytes that come again within deflate's window.
    const Bytes block = noise(20000, 13);
    Bytes again;
    while (again.size() < 4 * kPiece) again.insert(again.end(), block.begin(), block.end());
    EXPECT_LT(compress(again, 2).size(), again.size() / 4);
}

TEST(Compressor, FailingSourceStopsTheStream) {
    const Bytes in = text(8 * kPiece, 11);
    for (size_t threads : {0, 2}) {
        quill::Compressor c(threads);
        FromBytes src(in, 5 * kPiece + 10);
        ToBytes out;
        EXPECT_FALSE(c.add(nullptr, 0, in.size(), src, out));
        // The same compressor serves the next file, and nothing of the
        // failed one comes out.
        FromBytes again(in);
        ToBytes whole;
        EXPECT_TRUE(c.add(nullptr, 0, in.size(), again, whole));
        EXPECT_TRUE(c.flush(whole));
        EXPECT_EQ(inflate_fed(whole.b, whole.b.size()), in);
    }
    // An encryption that stops between files lets its compressor go with
    // pieces still given: it waits for them (a sanitizer build sees it).
    quill::Compressor c(2);
    FromBytes src(in);
    ToBytes out;
    EXPECT_TRUE(c.add(nullptr, 0, in.size(), src, out));
}

}  // namespace
