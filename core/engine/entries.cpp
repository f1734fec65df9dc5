// Reading an archive's entries: headers validated, names checked before
// anything is done with them, stored data taken block by block and
// compressed data inflated within the size its header states.
#include "engine/entries.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "bytes.h"
#include "engine/zlib_memory.h"
#include "escaped.h"
#include "format/entryname.h"
#include "format/layout.h"
#include "keys/keyfile.h"
#include "messages.h"
#include "progress.h"
#include "quillcore.h"
#include "report.h"

namespace quill {

namespace {

using layout::kBlockBytes;

// Why the block stream ended early, shown with the archive as caption: a
// read the system refused (kFailed), or an archive cut short or damaged
// (kDamaged).
Step stream_failed(const BlockReader &in, const std::string &path) {
    if (in.failed()) {
        fail(path.c_str(), msg::kReadFailed, in.failure());
        return Step::kFailed;
    }
    fail(path.c_str(), msg::kArchiveDamaged);
    return Step::kDamaged;
}

// A header that fails where no trailer begins: the block stream is garbled
// from here on, and every entry after the one read last is lost. kDamaged.
Step entries_lost(const std::string &path, const std::string &last) {
    fail(path, msg::kEntriesLost, plat::kFailUnknown, last);
    return Step::kDamaged;
}

// Exactly blocks deciphered blocks into data, counted for the progress.
bool take_blocks(BlockReader &in, unsigned char *data, size_t blocks) {
    if (!in.take(data, blocks)) return false;
    progress::advance(blocks * kBlockBytes);
    return true;
}

// Deciphered blocks where the reader holds them, at most want; 0 at the end.
const unsigned char *peek_blocks(BlockReader &in, uint64_t want, size_t *blocks) {
    const unsigned char *at = in.peek(blocks);
    if (*blocks > want) *blocks = size_t(want);
    return at;
}

void consume_blocks(BlockReader &in, size_t blocks) {
    in.consume(blocks);
    progress::advance(blocks * kBlockBytes);
}

// Stored data: exactly ceil(size / 32) blocks, size bytes of them kept,
// handed on from where the reader deciphered them. kNext, kFailed or
// kDamaged.
Step take_stored(BlockReader &in, const std::string &path, EntrySink &sink, uint64_t size) {
    uint64_t blocks = size / kBlockBytes;
    while (blocks != 0) {
        size_t n;
        const unsigned char *at = peek_blocks(in, blocks, &n);
        if (n == 0) return stream_failed(in, path);
        if (!sink.data(at, n * kBlockBytes)) return Step::kFailed;
        consume_blocks(in, n);
        blocks -= n;
    }
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes];
        if (!take_blocks(in, block, 1)) return stream_failed(in, path);
        if (!sink.data(block, tail)) return Step::kFailed;
    }
    return Step::kNext;
}

constexpr size_t kOutputBytes = 64 * 1024;

// One inflate state and output piece for all of an archive's compressed
// entries, reset for each one rather than made, wiped and freed each time:
// a tree of small files would spend more on that than on inflating.
class Inflater {
  public:
    Inflater() { wipe_when_freed(&z); }
    ~Inflater() {
        if (made_) inflateEnd(&z);
        if (piece) wipe(piece.get(), dirty);
    }
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;
    // A fresh stream; false without the memory for it.
    bool start() {
        if (!piece) piece.reset(new (std::nothrow) unsigned char[kOutputBytes]);
        if (!piece) return false;
        if (made_) return inflateReset(&z) == Z_OK;
        made_ = inflateInit(&z) == Z_OK;
        return made_;
    }
    z_stream z{};
    std::unique_ptr<unsigned char[]> piece;
    size_t dirty = 0;  // bytes of piece that held output, wiped at the end

  private:
    bool made_ = false;
};

// Compressed data: the deciphered blocks into inflate until the stream ends;
// the rest of the last block is filler. The zlib stream's own check value
// guards the contents, and the header's size bounds them: a stream that
// would give more (a decompression bomb) fails before a byte beyond the size
// is handed on, and so does one that ends short of it. kNext, kFailed or
// kDamaged.
Step take_compressed(BlockReader &in, const std::string &path, EntrySink &sink, uint64_t size,
                     Inflater &inf) {
    if (!inf.start()) return Step::kFailed;
    z_stream &z = inf.z;
    unsigned char *const piece = inf.piece.get();
    uint64_t left = size;  // bytes the header still allows
    const Message *damage = nullptr;
    bool ok = true, ended = false;
    while (ok && !ended) {
        size_t blocks;
        const unsigned char *at = peek_blocks(in, UINT64_MAX, &blocks);
        if (blocks == 0) return stream_failed(in, path);
        const size_t offered = blocks * kBlockBytes;
        z.next_in = const_cast<unsigned char *>(at);
        z.avail_in = uInt(offered);
        // Everything offered goes through before more is asked for.
        while (ok && !ended && z.avail_in != 0) {
            z.next_out = piece;
            z.avail_out = kOutputBytes;
            const int rc = inflate(&z, Z_NO_FLUSH);
            ended = rc == Z_STREAM_END;
            const size_t filled = kOutputBytes - z.avail_out;
            if (filled > inf.dirty) inf.dirty = filled;
            if (!ended && rc != Z_OK)
                damage = &msg::kInflateFailed;
            else if (filled > left)
                damage = &msg::kSizeMismatch;
            else if (filled != 0 && !sink.data(piece, filled))
                ok = false;
            ok = ok && !damage;
            if (ok) left -= filled;
        }
        // The block in which the stream ended is used up: its rest is filler.
        const size_t used = offered - z.avail_in;
        consume_blocks(in, ended ? (used + kBlockBytes - 1) / kBlockBytes : blocks);
    }
    if (ok && left != 0) damage = &msg::kSizeMismatch;
    if (damage) {
        fail(path, *damage);
        return Step::kDamaged;
    }
    return ok ? Step::kNext : Step::kFailed;
}

// The box that refuses an archive for the entry name: the name follows, as
// the system shows it where it can, its other bytes as \xNN; its control
// bytes are escaped, so that a name made to steer a terminal cannot.
void refuse_name(const std::string &path, const char *name) {
    char native[plat::kPathMax];
    std::string shown;
    if (plat::from_archive_name(name, native, sizeof native) == plat::kNameOk) {
        shown = escaped(native);
    } else {
        for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", *p);
            shown += *p >= 0x20 && *p < 0x7F ? std::string(1, char(*p)) : std::string(hex);
        }
    }
    fail(path, msg::kBadEntryName, plat::kFailUnknown, shown);
}

// The rest of one entry after its header: times, name, then the sink, and
// for a file its data. kNext when done; else how the archive ended.
Step read_entry(BlockReader &in, const std::string &path, const std::string &folder,
                EntrySink &sink, Entry &e, Inflater &inf) {
    unsigned char block[kBlockBytes];
    if (!e.folder) {
        if (!take_blocks(in, block, 1)) return stream_failed(in, path);
        layout::load_times(block, &e.times, &e.attributes);
    }
    unsigned char raw[layout::kMaxNameBlocks * kBlockBytes + 1] = {};
    if (!take_blocks(in, raw, size_t(layout::blocks_for(e.name_length))))
        return stream_failed(in, path);
    raw[e.name_length] = 0;  // the name ends at its first NUL, within w2 bytes
    const char *name = reinterpret_cast<const char *>(raw);
    // Only what stays inside the destination is restored; on Windows a name
    // it cannot hold as it is (a device name, a ":") is made holdable.
    if (!entry_name_safe(name, false)) {
        refuse_name(path, name);
        return Step::kDamaged;
    }
    const std::string spelled = plat::kWindowsNames ? windows_spelling(name, &e.widened) : name;
    char native[plat::kPathMax];
    switch (plat::from_archive_name(spelled.c_str(), native, sizeof native)) {
        case plat::kNameOk:
            break;
        case plat::kNameTooLong:
            fail(path.c_str(), msg::kPathTooLong);
            return Step::kFailed;
        default:
            refuse_name(path, name);
            return Step::kDamaged;
    }
    e.rel = native;
    const std::string target =
        folder + e.rel + (e.folder ? std::string(1, plat::kSep) : std::string());
    if (target.size() >= plat::kPathMax) {
        fail(target.c_str(), msg::kPathTooLong);
        return Step::kFailed;
    }
    // The archive's own name: unpacking would replace the archive with its
    // own content. The archive under another spelling (case, a short name, a
    // link in its place) is found where the name turns out to be taken
    // (Destination::refuses_archive), which spares a new name the lookup.
    if (!e.folder && target == path) {
        fail(target, msg::kSameName);
        return Step::kFailed;
    }
    const Step begun = sink.begin(e);
    if (begun != Step::kNext || e.folder) return begun;
    const Step taken = e.compressed ? take_compressed(in, path, sink, e.size, inf)
                                    : take_stored(in, path, sink, e.size);
    return taken == Step::kNext ? sink.end(e) : taken;
}

}  // namespace

int32_t open_archive(const std::string &path, const char *secret_path,
                     const unsigned char *password, OpenArchive *a, Sha256 *body) {
    if (load_secret_exponent(secret_path, password, a->secrets.exponent) != 0) return 1;
    a->file = plat::open_read(path.c_str());
    if (!a->file) {
        fail(path.c_str(), msg::kOpenFailed, plat::last_failure());
        return 1;
    }
    unsigned char image[layout::kPublicValueBytes];
    const int64_t got = plat::read(a->file, image, sizeof image);
    if (got < 0) {
        fail(path.c_str(), msg::kReadFailed, plat::last_failure());
        return 1;
    }
    // Shorter than its public value: no archive, or one cut before it began.
    if (got != int64_t(sizeof image)) {
        fail(path.c_str(), msg::kArchiveDamaged);
        return 1;
    }
    a->size = plat::size(a->file);
    if (a->size < 0) {
        fail(path.c_str(), msg::kReadFailed, plat::last_failure());
        return 1;
    }
    progress::advance(sizeof image);
    if (body) sha256_add(body, image, sizeof image);
    uint32_t ephemeral[QUILL_LIMBS];
    load_num(ephemeral, image);
    fx_enujyou(ephemeral, a->secrets.exponent, a->secrets.shared);
    start_stream(&a->secrets, image);
    return 0;
}

Step read_entries(BlockReader &reader, const std::string &path, const std::string &folder,
                  int64_t size, EntrySink &sink) {
    bool accepted = false;
    std::string last;  // the name of the entry read last
    Inflater inf;
    for (;;) {
        unsigned char block[kBlockBytes];
        size_t have;
        reader.peek(&have);
        // The physical end after a whole entry ends an archive without
        // trailer (its signing failed); a partial block is no part of any
        // archive: it was cut or damaged.
        if (have == 0)
            return reader.tail() != 0 || reader.failed() ? stream_failed(reader, path)
                                                         : Step::kDone;
        const uint64_t at = layout::kPublicValueBytes + reader.taken() * kBlockBytes;
        take_blocks(reader, block, 1);
        uint32_t w[layout::kBlockWords];
        layout::load_words(block, w);
        if (!layout::header_valid(w)) {
            // A first header that fails means the key is not the archive's;
            // the first block of the trailer ends a complete archive. Any
            // other header that fails is damage, never an end.
            if (!accepted) return Step::kWrongKey;
            if (at + kTrailerBytes == uint64_t(size)) return Step::kDone;
            return entries_lost(path, last);
        }
        accepted = true;
        Entry e{};
        e.folder = (w[layout::kKind] & layout::kKindFolder) != 0;
        e.compressed = !e.folder && (w[layout::kKind] & layout::kKindCompressed) != 0;
        e.size = e.folder ? 0 : layout::header_size(w);
        e.name_length = w[layout::kNameLength];
        const Step result = read_entry(reader, path, folder, sink, e, inf);
        if (result != Step::kNext) return result;
        last = e.rel;
    }
}

}  // namespace quill
