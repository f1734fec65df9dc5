// Deflating a file's data in pieces on a set of workers.
#include "engine/compressor.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "bytes.h"
#include "engine/zlib_memory.h"

namespace quill {

namespace {

// Room for a piece deflated: deflate's worst case for 128 KiB stays well
// inside it, and a piece that would not fit is stored instead.
constexpr size_t kOutBytes = kDeflatePieceBytes + kDeflatePieceBytes / 64 + 64;
// The largest stored deflate block, and the bytes in front of each.
constexpr size_t kStoredBlockBytes = 65535;
constexpr size_t kStoredHeaderBytes = 5;
static_assert(kDeflateWindowBytes <= kDeflatePieceBytes, "a whole piece is the next's dictionary");

// A piece smaller than this is always deflated: its byte count says too
// little, and deflating it costs little.
constexpr size_t kProbeMinBytes = 16 * 1024;

// True when the piece's bytes are spread so evenly that deflate's codes
// would save under about 1.5 %: the chi-square of the byte counts against
// an even spread stays below n / 6 (for counts near even, the entropy falls
// short of 8 bits a byte by about chi-square / (2 n ln 2)). Integers only,
// so that every build decides alike.
bool spread_evenly(const unsigned char *data, size_t n) {
    // Four tables, so that a run of one byte value does not wait on itself.
    uint32_t counts[4][256] = {};
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        counts[0][data[i]]++;
        counts[1][data[i + 1]]++;
        counts[2][data[i + 2]]++;
        counts[3][data[i + 3]]++;
    }
    for (; i < n; i++) counts[0][data[i]]++;
    uint64_t squares = 0;
    for (int v = 0; v < 256; v++) {
        const uint64_t c = uint64_t(counts[0][v]) + counts[1][v] + counts[2][v] + counts[3][v];
        squares += c * c;
    }
    // chi-square = 256 squares / n - n < n / 6, in integers: n <= 2^17, so
    // 1536 squares < 2^45 and 7 n^2 < 2^37.
    return 1536 * squares < 7 * uint64_t(n) * n;
}

// Evenly spread bytes can still repeat (a counter, a pattern, the same file
// twice within deflate's reach). Strings of 8 bytes taken every 32 bytes of
// the piece and of the window before it are kept by their hash; a few
// samples of the piece are looked up among them at every place, and what
// matches within deflate's window, extended, shows whether matches would
// shrink the piece. A copy of 40 bytes or more always holds a kept string.
// The samples' size and places depend on the piece alone.
constexpr size_t kSamples = 8;
constexpr size_t kSampleBytes = 1024;
constexpr size_t kLeastMatch = 8;
constexpr size_t kKeptEvery = 32;
constexpr int kHashBits = 13;
static_assert(kSamples * kSampleBytes <= kProbeMinBytes, "the samples lie within the piece");

uint32_t string_hash(const unsigned char *p) {
    return uint32_t((load64_le(p) * 0x9E3779B97F4A7C15u) >> (64 - kHashBits));
}

// from holds the window, before bytes of it, then the piece's n bytes.
bool samples_repeat(const unsigned char *from, size_t before, size_t n) {
    const size_t end = before + n;
    uint32_t kept[size_t(1) << kHashBits] = {};  // a place plus one; 0 none
    for (size_t q = 0; q + kLeastMatch <= end; q += kKeptEvery)
        kept[string_hash(from + q)] = uint32_t(q + 1);
    size_t covered = 0;
    for (size_t k = 0; k < kSamples; k++) {
        const size_t start = before + (n - kSampleBytes) / (kSamples - 1) * k;
        const size_t stop = start + kSampleBytes;
        for (size_t i = start; i + kLeastMatch <= stop;) {
            const size_t j = size_t(kept[string_hash(from + i)]) - 1;
            const size_t distance = j > i ? j - i : i - j;
            if (j == SIZE_MAX || distance == 0 || distance > kDeflateWindowBytes ||
                load64_le(from + i) != load64_le(from + j)) {
                i++;
                continue;
            }
            size_t length = kLeastMatch;
            while (i + length < stop && j + length < end && from[i + length] == from[j + length])
                length++;
            covered += length;
            i += length;
        }
    }
    // Worth deflating when repeats cover more than 1/32 of the samples.
    return covered * 32 > kSamples * kSampleBytes;
}

}  // namespace

// The most streams one slot of the ring carries.
constexpr size_t kParts = 32;

// One stream's share of a slot: a small file's whole stream, or one piece of
// a larger file's (alone in its slot), and what it became.
struct Compressor::Part {
    unsigned char prefix[kStreamPrefixBytes];  // the first piece's: what goes before the stream
    size_t prefix_bytes;
    size_t at;                 // its input: from the slot's in + kDeflateWindowBytes + at
    size_t bytes;              // of the input
    bool first;                // no dictionary: the stream's first piece
    bool last;                 // it ends the stream
    size_t out_at, out_bytes;  // what deflate made, in the slot's out
    bool stored;               // out unused: the input goes out in stored blocks
    uint32_t adler;            // of the part's bytes alone
};

// One slot of the ring: the input of its parts, one after another, behind
// the dictionary that a piece of a larger file starts from.
struct Compressor::Piece {
    Compressor *owner;
    unsigned char in[kDeflateWindowBytes + kDeflatePieceBytes];
    size_t used;  // bytes of in after the window that the parts hold
    unsigned char out[kOutBytes];
    size_t out_used;
    Part parts[kParts];
    size_t count;
    bool ok;  // deflate had its memory
};

// A worker's deflate state, made on its first piece and reset for each.
struct Compressor::Deflater {
    z_stream z;
    bool made;
};

size_t compression_threads() {
    size_t threads = plat::processor_count();
    // Fewer when asked for, never more than the processors.
    if (const char *cap = std::getenv("QUILLSEAL_THREADS")) {
        char *end = nullptr;
        const unsigned long asked = std::strtoul(cap, &end, 10);
        if (end != cap && *end == '\0' && asked >= 1 && asked < threads) threads = asked;
    }
    return threads;
}

Compressor::Compressor(size_t threads)
    : workers_(threads), ring_(workers_, 2 * threads + 2, deflate_task) {
    const size_t states = workers_.threads() + 1;
    deflaters_ = new (std::nothrow) Deflater[states]();
    pieces_ = new (std::nothrow) Piece *[ring_.size()]();
    if (!ring_.usable() || !deflaters_ || !pieces_) return;
    for (size_t i = 0; i < ring_.size(); i++) {
        if (!(pieces_[i] = new (std::nothrow) Piece)) return;
        pieces_[i]->owner = this;
    }
    usable_ = true;
}

Compressor::~Compressor() {
    // An encryption that stops between two files leaves pieces given: the
    // workers finish them before their memory goes.
    if (usable_) discard();
    if (deflaters_)
        for (size_t i = 0; i <= workers_.threads(); i++)
            if (deflaters_[i].made) deflateEnd(&deflaters_[i].z);
    delete[] deflaters_;
    if (!pieces_) return;
    for (size_t i = 0; i < ring_.size(); i++) {
        if (!pieces_[i]) continue;
        wipe(pieces_[i], sizeof(Piece));
        delete pieces_[i];
    }
    delete[] pieces_;
}

void Compressor::deflate_task(void *piece, size_t worker) {
    Piece &s = *static_cast<Piece *>(piece);
    s.out_used = 0;
    s.ok = true;
    for (size_t i = 0; i < s.count && s.ok; i++)
        s.ok = s.owner->deflate_part(s, s.parts[i], worker);
}

// The part as deflate blocks that end on a byte boundary (the last one ends
// the stream), or as stored blocks when it is evenly spread or deflate
// would not fit it in what is left of the slot's out. Runs on the worker's
// thread with that worker's state.
bool Compressor::deflate_part(Piece &s, Part &p, size_t worker) {
    const unsigned char *data = s.in + kDeflateWindowBytes + p.at;
    p.adler = uint32_t(adler32(1, data, uInt(p.bytes)));
    // Only a piece of a larger file, alone at the start of its slot, has one.
    const size_t window = p.first ? 0 : kDeflateWindowBytes;
    p.stored = p.bytes >= kProbeMinBytes && spread_evenly(data, p.bytes) &&
               !samples_repeat(data - window, window, p.bytes);
    if (!p.stored) {
        Deflater &d = deflaters_[worker];
        if (!d.made) {
            wipe_when_freed(&d.z);
            // Raw deflate at level 6 with the whole window: the header and
            // check value are the stream's, written once.
            if (deflateInit2(&d.z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
            d.made = true;
        }
        z_stream &z = d.z;
        if (deflateReset(&z) != Z_OK) return false;
        if (!p.first &&
            deflateSetDictionary(&z, data - kDeflateWindowBytes, uInt(kDeflateWindowBytes)) != Z_OK)
            return false;
        const size_t room = kOutBytes - s.out_used;
        z.next_in = const_cast<unsigned char *>(data);
        z.avail_in = uInt(p.bytes);
        z.next_out = s.out + s.out_used;
        z.avail_out = uInt(room);
        const int rc = deflate(&z, p.last ? Z_FINISH : Z_SYNC_FLUSH);
        // Everything taken and flushed with room to spare, or the stream
        // ended.
        if (p.last ? rc == Z_STREAM_END : rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) {
            p.out_at = s.out_used;
            p.out_bytes = room - z.avail_out;
            s.out_used += p.out_bytes;
            return true;
        }
    }
    p.stored = true;
    return true;
}

// The part's share of its stream, after the stream's prefix and header
// when it is the first: what deflate made, or its input in stored blocks,
// each a byte of its final bit and type 00, its length and the length's
// complement, then the bytes themselves, taken from the input. The last
// piece adds the check value of the whole stream.
void Compressor::emit(const Piece &s, const Part &p, ByteOut &out) {
    if (p.first) {
        // The zlib header of level 6 with a 32 KiB window.
        static const unsigned char kHeader[2] = {0x78, 0x9C};
        out.put(p.prefix, p.prefix_bytes);
        out.put(kHeader, sizeof kHeader);
        adler_ = 1;  // of no bytes
    }
    adler_ = uint32_t(adler32_combine(adler_, p.adler, z_off_t(p.bytes)));
    if (!p.stored) {
        out.put(s.out + p.out_at, p.out_bytes);
    } else {
        const unsigned char *data = s.in + kDeflateWindowBytes + p.at;
        size_t left = p.bytes;
        do {
            const size_t n = left < kStoredBlockBytes ? left : kStoredBlockBytes;
            left -= n;
            unsigned char header[kStoredHeaderBytes];
            header[0] = p.last && left == 0 ? 1 : 0;
            store16_le(header + 1, uint16_t(n));
            store16_le(header + 3, uint16_t(~n));
            out.put(header, sizeof header);
            out.put(data, n);
            data += n;
        } while (left != 0);
    }
    if (!p.last) return;
    unsigned char check[4];
    store32_be(check, adler_);
    out.put(check, sizeof check);
    out.end_stream();
}

// The oldest slot given, back from its worker: out, unless deflate failed
// it or one before it.
bool Compressor::take_back(ByteOut &out) {
    const Piece &s = *pieces_[ring_.take()];
    failed_ = failed_ || !s.ok;
    for (size_t i = 0; i < s.count && !failed_; i++) emit(s, s.parts[i], out);
    return !failed_;
}

void Compressor::give_open() {
    ring_.give(open_);
    open_ = nullptr;
}

// Takes back every slot still given without letting it out, and drops the
// one being filled: after a failure nothing more of what was given goes out.
void Compressor::discard() {
    open_ = nullptr;
    while (!ring_.empty()) ring_.take();
    failed_ = false;
}

bool Compressor::add(const unsigned char *prefix, size_t prefix_bytes, uint64_t size,
                     ByteSource &in, ByteOut &out) {
    uint64_t left = size;
    const Piece *previous = nullptr;  // the slot of the stream's piece before
    // At least one piece, even for no bytes: the stream still has its end.
    do {
        const size_t bytes = left < kDeflatePieceBytes ? size_t(left) : kDeflatePieceBytes;
        // A file's only piece joins the slot being filled while it has room.
        const bool whole = previous == nullptr && bytes == left;
        if (open_ && !(whole && open_->count < kParts && open_->used + bytes <= kDeflatePieceBytes))
            give_open();
        if (!open_) {
            if (ring_.full() && !take_back(out)) break;
            open_ = pieces_[ring_.next()];
            open_->used = 0;
            open_->count = 0;
        }
        Piece &s = *open_;
        Part &p = s.parts[s.count++];
        p.at = s.used;
        p.bytes = bytes;
        p.first = previous == nullptr;
        if (p.first) {
            if (prefix_bytes != 0) std::memcpy(p.prefix, prefix, prefix_bytes);
            p.prefix_bytes = prefix_bytes;
        } else {
            // The slot before is still given, or taken and not yet reused:
            // the ring holds at least two, and the workers only read its
            // input, a whole piece at its start.
            std::memcpy(s.in, previous->in + kDeflatePieceBytes, kDeflateWindowBytes);
        }
        if (!in.read(s.in + kDeflateWindowBytes + p.at, bytes)) {
            failed_ = true;
            break;
        }
        s.used += bytes;
        left -= bytes;
        p.last = left == 0;
        previous = &s;
        // A larger file's pieces go at once, each in a slot of its own.
        if (!whole) give_open();
    } while (left != 0);
    if (!failed_) return true;
    discard();
    return false;
}

bool Compressor::flush(ByteOut &out) {
    if (open_) give_open();
    while (!ring_.empty())
        if (!take_back(out)) {
            discard();
            return false;
        }
    return true;
}

}  // namespace quill
