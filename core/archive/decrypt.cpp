// The decryption driver: every selected archive is checked against the
// sender's signature and then unpacked into the folder that holds it. One
// reader serves every way of decrypting: into the archive's folder, into
// another folder, or into a caller's list of the entries, which sees each
// entry the reader accepted and writes nothing.
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "archive/entryname.h"
#include "archive/layout.h"
#include "archive/msgbox.h"
#include "archive/paths.h"
#include "archive/pipeline.h"
#include "archive/selection.h"
#include "archive/stream.h"
#include "bytes.h"
#include "keys/keyfile.h"
#include "keys/signing.h"
#include "messages.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"

namespace {

using namespace quill;
using layout::kBlockBytes;
using layout::kChunkBlocks;
using layout::kChunkBytes;

// The archive being decrypted (full native path).
std::string a_filepath;

// Where the reader hands what it accepted: files under a folder, or, with a
// handler, a list of the entries.
struct Staging;
struct Destination {
    std::string folder;  // separator included
    quill_entry_handler handler = nullptr;
    void *context = nullptr;
    Staging *staging = nullptr;  // files go to temporary files first
};

// Entries deciphered into temporary files in the destination, to be put in
// place once the archive's signature has verified, or removed.
struct Staged {
    bool folder;
    std::string rel;   // native relative path below the destination
    std::string temp;  // the temporary file (files only)
    uint32_t attributes;
};

struct Staging {
    std::vector<Staged> items;
    unsigned next_temp = 0;
    // Whatever was not put in place goes.
    ~Staging() {
        for (const Staged &item : items)
            if (!item.temp.empty()) plat::remove_file(item.temp.c_str());
    }
};

// The open files of one archive, closed however the call ends. A partly
// written output file stays on disk as far as it was written.
struct Files {
    plat::File *archive = nullptr;
    BlockReader *reader = nullptr;  // the archive's block stream
    plat::File *out = nullptr;
    ~Files() {
        if (out) plat::close(out);
        if (archive) plat::close(archive);
    }
};

// Writes the bytes to the output file; with none (a list of the entries) the
// data has only been deciphered to reach the next entry.
bool put(plat::File *out, const void *data, size_t n) {
    return out == nullptr || plat::write(out, data, n);
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
// written from where the reader deciphered them.
bool restore_stored(BlockReader &in, plat::File *out, uint64_t size) {
    uint64_t blocks = size / kBlockBytes;
    while (blocks != 0) {
        size_t n;
        const unsigned char *at = peek_blocks(in, blocks, &n);
        if (n == 0 || !put(out, at, n * kBlockBytes)) return false;
        consume_blocks(in, n);
        blocks -= n;
    }
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes];
        if (!take_blocks(in, block, 1)) return false;
        if (!put(out, block, tail)) return false;
    }
    return true;
}

// Compressed data: the deciphered blocks into inflate until the stream ends;
// the rest of the last block is filler. The zlib stream's own check value
// guards the contents, and the header's size bounds them: a stream that
// would give more (a decompression bomb) fails before a byte beyond the size
// is written, and so does one that ends short of it. kSizeMismatch names the
// two; any other failure gives false.
enum Inflated { kInflated, kInflateFailed, kSizeMismatch };

constexpr size_t kOutputBytes = 64 * 1024;

Inflated restore_compressed(BlockReader &in, plat::File *out, uint64_t size) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return kInflateFailed;
    std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[kOutputBytes]);
    uint64_t left = size;  // bytes the header still allows
    Inflated result = piece ? kInflated : kInflateFailed;
    bool ended = false;
    while (!ended && result == kInflated) {
        size_t blocks;
        const unsigned char *at = peek_blocks(in, UINT64_MAX, &blocks);
        if (blocks == 0) {
            result = kInflateFailed;
            break;
        }
        const size_t offered = blocks * kBlockBytes;
        z.next_in = const_cast<unsigned char *>(at);
        z.avail_in = uInt(offered);
        // Everything offered goes through before more is asked for.
        while (!ended && z.avail_in != 0) {
            z.next_out = piece.get();
            z.avail_out = kOutputBytes;
            const int rc = inflate(&z, Z_NO_FLUSH);
            ended = rc == Z_STREAM_END;
            if (!ended && rc != Z_OK) {
                result = kInflateFailed;
                break;
            }
            const size_t filled = kOutputBytes - z.avail_out;
            if (filled > left) {
                result = kSizeMismatch;
                break;
            }
            if (filled != 0 && !put(out, piece.get(), filled)) {
                result = kInflateFailed;
                break;
            }
            left -= filled;
        }
        // The block in which the stream ended is used up: its rest is filler.
        const size_t used = offered - z.avail_in;
        consume_blocks(in, ended ? (used + kBlockBytes - 1) / kBlockBytes : blocks);
    }
    if (result == kInflated && left != 0) result = kSizeMismatch;
    if (inflateEnd(&z) != Z_OK && result == kInflated) result = kInflateFailed;
    return result;
}

// The attribute bits a restored file may take; the rest (folder, link,
// device, compression and the like) describe the source's storage, not the
// file.
constexpr uint32_t kRestorableAttributes =
    plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem | plat::kAttrArchive |
    plat::kAttrNormal | plat::kAttrTemporary | plat::kAttrNotContentIndexed;

// One entry's header, already validated.
struct Entry {
    bool folder;
    bool compressed;
    uint64_t size;
    uint32_t name_length;
    plat::FileTimes times;
    uint32_t attributes;
};

constexpr int32_t kNextEntry = -1;

// The entry's data, deciphered into out (or only deciphered, without one).
// kNextEntry when it was whole; else the archive's result.
int32_t take_data(BlockReader &archive, plat::File *out, const Entry &e) {
    if (!e.compressed) return restore_stored(archive, out, e.size) ? kNextEntry : 1;
    switch (restore_compressed(archive, out, e.size)) {
        case kInflated:
            return kNextEntry;
        case kSizeMismatch:
            warn(a_filepath.c_str(), msg::kSizeMismatch);
            return 1;
        default:
            return 1;
    }
}

constexpr int32_t kSettled = -2;

// The folders of rel (up to its last separator) below the destination,
// never made or entered through a link; a link in the way refuses the entry
// as a climbing name is refused.
bool make_folders(const std::string &out_folder, const std::string &rel) {
    if (plat::make_dirs_below(out_folder.c_str(), rel.c_str())) return true;
    warn(a_filepath.c_str(), msg::kBadEntryName);
    return false;
}

// Settles the output path of a file entry: its folders made below the
// destination and an existing name settled with the user. kSettled with
// path holding the name to create; 0 the user stopped; 1 failure (the box
// has been shown).
int32_t settle(const std::string &out_folder, const std::string &rel, char *path) {
    const std::string target = out_folder + rel;
    if (!make_folders(out_folder, rel)) return 1;
    std::memcpy(path, target.c_str(), target.size() + 1);
    switch (filenamesyori(path)) {
        case 0:
        case 2:
            return kSettled;
        case 1:
            plat::remove_file(path);
            return kSettled;
        case 3:
            return 0;
        default:
            return 1;
    }
}

// The entry's data into the open output file, then its times; the file is
// closed. kNextEntry when whole, with *closed telling whether the close
// succeeded; else the archive's result (the file stays open for Files to
// close).
int32_t write_output(Files &files, const Entry &e, bool *closed) {
    const int32_t result = take_data(*files.reader, files.out, e);
    if (result != kNextEntry) return result;
    plat::set_times(files.out, e.times);
    *closed = plat::close(files.out);
    files.out = nullptr;
    return kNextEntry;
}

void apply_attributes(const char *path, uint32_t attributes) {
    attributes &= kRestorableAttributes;
    plat::set_attributes(path, attributes != 0 ? attributes : plat::kAttrNormal);
}

// The file entry whose name is settled: the output file, its data, its times
// and attributes. kNextEntry when restored; else the archive's result.
int32_t restore_file(Files &files, const Entry &e, const std::string &out_folder,
                     const std::string &rel) {
    char path[plat::kPathMax];
    const int32_t settled = settle(out_folder, rel, path);
    if (settled != kSettled) return settled;
    // Never replaces anything: if the name is still taken (the old file could
    // not be removed, or it is a folder), this fails.
    files.out = plat::create_new(path);
    if (!files.out) {
        warn(path, msg::kOpenFailed);
        return 1;
    }
    bool closed;
    const int32_t result = write_output(files, e, &closed);
    if (result != kNextEntry) return result;
    apply_attributes(path, e.attributes);
    return kNextEntry;
}

// The entry kept for later: a folder by its name, a file's data in a new
// temporary file in the destination (a name the folder walk passes over).
int32_t stage_entry(Files &files, const Entry &e, const std::string &rel, const Destination &to) {
    Staging &staging = *to.staging;
    Staged item{e.folder, rel, {}, e.attributes};
    if (e.folder) {
        staging.items.push_back(item);
        return kNextEntry;
    }
    for (int tries = 0; !files.out && tries < 100; tries++) {
        item.temp = to.folder + ".quillseal-" + std::to_string(staging.next_temp++) + ".part";
        if (item.temp.size() >= plat::kPathMax) break;
        files.out = plat::create_new(item.temp.c_str());
    }
    if (!files.out) {
        warn(to.folder.c_str(), msg::kOpenFailed);
        return 1;
    }
    staging.items.push_back(item);
    bool closed;
    const int32_t result = write_output(files, e, &closed);
    if (result != kNextEntry) return result;
    return closed ? kNextEntry : 1;
}

// Puts the staged entries in place, in archive order, with the prompts a
// decryption shows. 0 done or stopped by the user; 1 failure.
int32_t commit(Staging &staging, const std::string &out_folder) {
    for (Staged &item : staging.items) {
        if (item.folder) {
            if (!make_folders(out_folder, item.rel + plat::kSep)) return 1;
            continue;
        }
        char path[plat::kPathMax];
        const int32_t settled = settle(out_folder, item.rel, path);
        if (settled != kSettled) return settled;
        if (!plat::rename_new(item.temp.c_str(), path)) {
            warn(path, msg::kOpenFailed);
            return 1;
        }
        item.temp.clear();
        apply_attributes(path, item.attributes);
    }
    return 0;
}

// The accepted entry handed to the list; its data is deciphered all the
// same, so that it fails here as it would fail decryption. kNextEntry, 0
// when the handler stopped the reading, else the archive's result.
int32_t list_entry(Files &files, const Entry &e, const std::string &rel, const Destination &to) {
    quill_entry out{};
    out.folder = e.folder ? 1 : 0;
    out.compressed = e.compressed && !e.folder ? 1 : 0;
    out.size = e.folder ? 0 : e.size;
    out.creation = e.times.creation;
    out.access = e.times.access;
    out.write = e.times.write;
    out.attributes = e.attributes;
    out.name = rel.c_str();
    if (to.handler(to.context, &out) != 0) return 0;
    return e.folder ? kNextEntry : take_data(*files.reader, nullptr, e);
}

// The rest of one entry after its header: times, name, then the folder or
// the file. kNextEntry when done; else the archive's result.
int32_t restore_entry(Files &files, Entry &e, const Destination &to) {
    unsigned char block[kBlockBytes];
    if (!e.folder) {
        if (!take_blocks(*files.reader, block, 1)) return 1;
        layout::load_times(block, &e.times, &e.attributes);
    }
    unsigned char raw[layout::kMaxNameBlocks * kBlockBytes + 1] = {};
    if (!take_blocks(*files.reader, raw, size_t(layout::blocks_for(e.name_length)))) return 1;
    raw[e.name_length] = 0;  // the name ends at its first NUL, within w2 bytes
    const char *name = reinterpret_cast<const char *>(raw);
    if (!entry_name_safe(name)) {
        warn(a_filepath.c_str(), msg::kBadEntryName);
        return 1;
    }
    char native[plat::kPathMax];
    switch (plat::from_archive_name(name, native, sizeof native)) {
        case plat::kNameOk:
            break;
        case plat::kNameTooLong:
            warn(a_filepath.c_str(), msg::kPathTooLong);
            return 1;
        default:
            warn(a_filepath.c_str(), msg::kBadEntryName);
            return 1;
    }
    const std::string rel = native;
    const std::string target = to.folder + rel + (e.folder ? std::string(1, plat::kSep) : "");
    if (target.size() >= plat::kPathMax) {
        warn(target.c_str(), msg::kPathTooLong);
        return 1;
    }
    // The archive's own file, however the name spells it: unpacking would
    // replace the archive with its own content while it is being read.
    if (!e.folder &&
        (target == a_filepath || plat::same_file(target.c_str(), a_filepath.c_str()))) {
        warn(msg::kCannotDecrypt, msg::kSameName);
        return 1;
    }
    if (to.handler) return list_entry(files, e, rel, to);
    if (to.staging) return stage_entry(files, e, rel, to);
    if (!e.folder) return restore_file(files, e, to.folder, rel);
    return make_folders(to.folder, rel + plat::kSep) ? kNextEntry : 1;
}

// The entries of the stream, one after the other, into the destination. 0
// read to its end (or stopped at a prompt); 1 failure; 2 the first header
// is not valid under this key.
int32_t read_entries(Files &files, const Destination &to) {
    BlockReader &reader = *files.reader;
    bool accepted = false;
    for (;;) {
        unsigned char block[kBlockBytes];
        size_t have;
        reader.peek(&have);
        // A partial block is no part of any archive: it was cut or damaged.
        if (have == 0) return reader.tail() != 0 || reader.failed() ? 1 : 0;
        take_blocks(reader, block, 1);
        uint32_t w[layout::kBlockWords];
        layout::load_words(block, w);
        // The first block of the trailer ends a complete archive here; a
        // first header that fails means the key is not the archive's.
        if (!layout::header_valid(w)) return accepted ? 0 : 2;
        accepted = true;
        Entry e{};
        e.folder = (w[layout::kKind] & layout::kKindFolder) != 0;
        e.compressed = (w[layout::kKind] & layout::kKindCompressed) != 0;
        e.size = layout::header_size(w);
        e.name_length = w[layout::kNameLength];
        const int32_t result = restore_entry(files, e, to);
        if (result != kNextEntry) return result;
    }
}

// The archive at a_filepath opened and its key agreed: the files, the
// public value (hashed into body when given) and the stream's secrets. 0
// ready; 1 failure.
int32_t open_archive(const char *secret_path, const unsigned char *password, Files &files,
                     Secrets &st, Sha256 *body) {
    if (load_secret_exponent(secret_path, password, st.exponent) != 0) return 1;
    files.archive = plat::open_read(a_filepath.c_str());
    if (!files.archive) {
        warn(a_filepath.c_str(), msg::kOpenFailed);
        return 1;
    }
    unsigned char image[layout::kPublicValueBytes];
    if (!plat::read_exact(files.archive, image, sizeof image)) return 1;
    progress::advance(sizeof image);
    if (body) sha256_add(body, image, sizeof image);
    uint32_t ephemeral[QUILL_LIMBS];
    load_num(ephemeral, image);
    fx_enujyou(ephemeral, st.exponent, st.shared);
    start_stream(&st, image);
    return 0;
}

// The archive at a_filepath, into the destination. Results as
// read_entries.
int32_t decrypt_archive(const char *secret_path, const unsigned char *password,
                        const Destination &to) {
    Secrets st;
    Files files;
    if (open_archive(secret_path, password, files, st, nullptr) != 0) return 1;
    BlockReader reader(files.archive, st);
    if (!reader.usable()) return 1;
    files.reader = &reader;
    return read_entries(files, to);
}

// The archive at a_filepath read once: its entries staged in the
// destination while the archive is hashed, then its signature checked under
// y and the entries put in place, or removed. Results as fukugou_kensyou.
int32_t decrypt_verified(const char *secret_path, const unsigned char *password, const uint32_t *y,
                         const Destination &to, bool keep_unverified) {
    const int64_t size = plat::file_size(a_filepath.c_str());
    const int64_t kept_out = int64_t(layout::kPublicValueBytes + kTrailerBytes);
    // The signed body: everything in front of the trailer.
    const uint64_t body_bytes = size >= kept_out ? uint64_t(size) - kTrailerBytes : 0;
    Staging staging;
    Destination staged = to;
    staged.staging = &staging;
    Sha256 body;
    sha256_start(&body);
    Secrets st;
    Files files;
    if (open_archive(secret_path, password, files, st, &body) != 0) return 1;
    int32_t result;
    {
        const uint64_t after_image =
            body_bytes > layout::kPublicValueBytes ? body_bytes - layout::kPublicValueBytes : 0;
        BlockReader reader(files.archive, st, &body, after_image);
        if (!reader.usable()) return 1;
        files.reader = &reader;
        result = read_entries(files, staged);
        if (result == 0 && !reader.hash_rest()) result = 1;
        files.reader = nullptr;
    }
    if (result != 0) return result;
    int32_t verified = -1;
    unsigned char trailer[kTrailerBytes];
    if (size >= kept_out && plat::seek(files.archive, int64_t(body_bytes)) &&
        plat::read_exact(files.archive, trailer, sizeof trailer)) {
        uint32_t h[QUILL_LIMBS] = {}, s[QUILL_LIMBS];
        for (size_t i = 0; i < QUILL_SHA_WORDS; i++)
            h[i] = load32_le(trailer + kTrailerHash + 4 * i);
        load_num(s, trailer + kTrailerResponse);
        verified = verify_body(y, &body, h, s);
    }
    if (verified != 0 && !keep_unverified) return -1;
    const int32_t committed = commit(staging, to.folder);
    if (committed != 0) return committed;
    return verified;
}

// The destination folder of the archive at path: out_folder, or the
// archive's own, with its separator.
std::string destination_of(const char *path, const char *out_folder) {
    const std::string archive = path;
    std::string folder =
        out_folder && *out_folder ? out_folder : archive.substr(0, name_start(archive));
    if (!folder.empty() && !plat::is_separator(folder.back())) folder += plat::kSep;
    return folder;
}

// The archive at path into the destination, its folder defaulting to the
// archive's own.
int32_t decrypt_one(const char *secret_path, const unsigned char *password, const char *path,
                    Destination to) {
    to.folder = destination_of(path, to.folder.c_str());
    a_filepath = path;
    return decrypt_archive(secret_path, password, to);
}

// The bytes of the archives at the paths, for the progress of a call.
uint64_t archive_bytes(const std::string &path) {
    const int64_t size = plat::file_size(path.c_str());
    return size > 0 ? uint64_t(size) : 0;
}

}  // namespace

int32_t fukugouka(const char *secret_path, const unsigned char *password, const char *public_path) {
    if (!selection.made) return 1;
    try {
        if (!selection.walk_failure.empty()) {
            warn(selection.walk_failure.c_str(), msg::kWalkTooDeep);
            return 1;
        }
        // Each archive is read twice: for the signature, then to decipher it.
        uint64_t total = 0;
        std::string path;
        for (const std::string &rel : selection.files)
            if (full_path(rel, &path)) total += 2 * archive_bytes(path);
        progress::Scope scope(total);
        for (const std::string &rel : selection.files) {
            if (!full_path(rel, &a_filepath)) {
                warn((selection.a_folder + rel).c_str(), msg::kPathTooLong);
                return 1;
            }
            // A failed check only warns: the user may still want the content.
            if (syomei_kakunin(a_filepath.c_str(), public_path) != 0)
                show_message(msg::kSignatureBad, a_filepath.c_str(), QUILL_MB_OK);
            const int32_t result = fukugousyori(secret_path, password);
            if (result != 0) return result;
        }
    } catch (const std::bad_alloc &) {
        return 1;
    }
    return 0;
}

int32_t fukugousyori(const char *secret_path, const unsigned char *password) {
    try {
        progress::Scope scope(archive_bytes(a_filepath));
        return decrypt_one(secret_path, password, a_filepath.c_str(), Destination{});
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

int32_t naiyou_ichiran(const char *secret_path, const unsigned char *password,
                       const char *archive_path, quill_entry_handler handler, void *context) {
    if (!handler) return 1;
    try {
        progress::Scope scope(archive_bytes(archive_path));
        Destination to;
        to.handler = handler;
        to.context = context;
        return decrypt_one(secret_path, password, archive_path, to);
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

int32_t fukugou_kensyou(const char *secret_path, const unsigned char *password,
                        const char *public_path, const char *archive_path, const char *out_folder,
                        int32_t keep_unverified) {
    try {
        uint32_t y[QUILL_LIMBS];
        if (load_public_key(public_path, y) != 0) return 1;
        progress::Scope scope(archive_bytes(archive_path));
        a_filepath = archive_path;
        Destination to;
        to.folder = destination_of(archive_path, out_folder);
        return decrypt_verified(secret_path, password, y, to, keep_unverified != 0);
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

int32_t fukugou_saki(const char *secret_path, const unsigned char *password,
                     const char *archive_path, const char *out_folder) {
    if (!out_folder || !*out_folder) return 1;
    try {
        progress::Scope scope(archive_bytes(archive_path));
        Destination to;
        to.folder = out_folder;
        return decrypt_one(secret_path, password, archive_path, to);
    } catch (const std::bad_alloc &) {
        return 1;
    }
}
