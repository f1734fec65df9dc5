// The decryption driver: every selected archive is checked against the
// sender's signature and then unpacked into the folder that holds it.
#include <zlib.h>

#include <cstring>
#include <new>
#include <string>

#include "archive/entryname.h"
#include "archive/layout.h"
#include "archive/msgbox.h"
#include "archive/paths.h"
#include "archive/selection.h"
#include "archive/stream.h"
#include "bytes.h"
#include "keys/keyfile.h"
#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace {

using namespace quill;
using layout::kBlockBytes;
using layout::kChunkBlocks;
using layout::kChunkBytes;

// The archive being decrypted (full native path).
std::string a_filepath;

// The open files of one archive, closed however the call ends. A partly
// written output file stays on disk as far as it was written.
struct Files {
    plat::File *archive = nullptr;
    plat::File *out = nullptr;
    ~Files() {
        if (out) plat::close(out);
        if (archive) plat::close(archive);
    }
};

// Reads blocks and deciphers them in place, in order.
bool take_blocks(plat::File *in, unsigned char *data, size_t blocks, Secrets &st) {
    if (!plat::read_exact(in, data, blocks * kBlockBytes)) return false;
    for (size_t i = 0; i < blocks; i++) Rfukugou(data + i * kBlockBytes, st.chain, st.key, st.inv);
    return true;
}

// Stored data: exactly ceil(size / 32) blocks, size bytes of them kept.
bool restore_stored(plat::File *in, plat::File *out, uint64_t size, Secrets &st) {
    unsigned char chunk[kChunkBytes];
    const uint64_t blocks = size / kBlockBytes;
    for (uint64_t i = 0; i < blocks / kChunkBlocks; i++) {
        if (!take_blocks(in, chunk, kChunkBlocks, st)) return false;
        if (!plat::write(out, chunk, kChunkBytes)) return false;
    }
    const size_t rest = size_t(blocks % kChunkBlocks);
    if (rest != 0) {
        if (!take_blocks(in, chunk, rest, st)) return false;
        if (!plat::write(out, chunk, rest * kBlockBytes)) return false;
    }
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes];
        if (!take_blocks(in, block, 1, st)) return false;
        if (!plat::write(out, block, tail)) return false;
    }
    return true;
}

// Compressed data: one block at a time into inflate until the stream ends;
// the rest of the last block is filler. The zlib stream's own check value
// guards the contents, and the header's size bounds them: a stream that
// would give more (a decompression bomb) fails before a byte beyond the size
// is written, and so does one that ends short of it. kSizeMismatch names the
// two; any other failure gives false.
enum Inflated { kInflated, kInflateFailed, kSizeMismatch };

Inflated restore_compressed(plat::File *in, plat::File *out, uint64_t size, Secrets &st) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return kInflateFailed;
    unsigned char block[kBlockBytes];
    unsigned char chunk[kChunkBytes];
    uint64_t left = size;  // bytes the header still allows
    Inflated result = kInflated;
    bool ended = false;
    while (!ended) {
        if (z.avail_in == 0) {
            if (!take_blocks(in, block, 1, st)) {
                result = kInflateFailed;
                break;
            }
            z.next_in = block;
            z.avail_in = kBlockBytes;
        }
        z.next_out = chunk;
        z.avail_out = kChunkBytes;
        const int rc = inflate(&z, Z_NO_FLUSH);
        ended = rc == Z_STREAM_END;
        if (!ended && rc != Z_OK) {
            result = kInflateFailed;
            break;
        }
        const size_t filled = kChunkBytes - z.avail_out;
        if (filled > left) {
            result = kSizeMismatch;
            break;
        }
        if (filled != 0 && !plat::write(out, chunk, filled)) {
            result = kInflateFailed;
            break;
        }
        left -= filled;
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

// The file entry whose name is settled: the output file, its data, its times
// and attributes. kNextEntry when restored; else the archive's result.
int32_t restore_file(Files &files, const Entry &e, const std::string &out_folder,
                     const std::string &rel, Secrets &st) {
    const std::string target = out_folder + rel;
    // The archive's own file, however the name spells it: unpacking would
    // replace the archive with its own content while it is being read.
    if (target == a_filepath || plat::same_file(target.c_str(), a_filepath.c_str())) {
        warn(msg::kCannotDecrypt, msg::kSameName);
        return 1;
    }
    if (!plat::make_dirs_below(out_folder.c_str(), rel.c_str())) {
        warn(a_filepath.c_str(), msg::kBadEntryName);
        return 1;
    }
    char path[plat::kPathMax];
    std::memcpy(path, target.c_str(), target.size() + 1);
    switch (filenamesyori(path)) {
        case 0:
        case 2:
            break;
        case 1:
            plat::remove_file(path);
            break;
        case 3:
            return 0;
        default:
            return 1;
    }
    // Never replaces anything: if the name is still taken (the old file could
    // not be removed, or it is a folder), this fails.
    files.out = plat::create_new(path);
    if (!files.out) {
        warn(path, msg::kOpenFailed);
        return 1;
    }
    if (!e.compressed) {
        if (!restore_stored(files.archive, files.out, e.size, st)) return 1;
    } else {
        switch (restore_compressed(files.archive, files.out, e.size, st)) {
            case kInflated:
                break;
            case kSizeMismatch:
                warn(a_filepath.c_str(), msg::kSizeMismatch);
                return 1;
            default:
                return 1;
        }
    }
    plat::set_times(files.out, e.times);
    plat::close(files.out);
    files.out = nullptr;
    const uint32_t attributes = e.attributes & kRestorableAttributes;
    plat::set_attributes(path, attributes != 0 ? attributes : plat::kAttrNormal);
    return kNextEntry;
}

// The rest of one entry after its header: times, name, then the folder or
// the file. kNextEntry when done; else the archive's result.
int32_t restore_entry(Files &files, Entry &e, const std::string &out_folder, Secrets &st) {
    unsigned char block[kBlockBytes];
    if (!e.folder) {
        if (!take_blocks(files.archive, block, 1, st)) return 1;
        layout::load_times(block, &e.times, &e.attributes);
    }
    unsigned char raw[layout::kMaxNameBlocks * kBlockBytes + 1] = {};
    if (!take_blocks(files.archive, raw, size_t(layout::blocks_for(e.name_length)), st)) return 1;
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
    std::string rel = native;
    if (e.folder) rel += plat::kSep;
    if (out_folder.size() + rel.size() >= plat::kPathMax) {
        warn((out_folder + rel).c_str(), msg::kPathTooLong);
        return 1;
    }
    if (!e.folder) return restore_file(files, e, out_folder, rel, st);
    // Every folder up to the name, never through a link in the way.
    if (!plat::make_dirs_below(out_folder.c_str(), rel.c_str())) {
        warn(a_filepath.c_str(), msg::kBadEntryName);
        return 1;
    }
    return kNextEntry;
}

// The archive at a_filepath. 0 read to its end (or stopped at a prompt);
// 1 failure; 2 its first header is not valid under this key.
int32_t decrypt_archive(const char *secret_path, const unsigned char *password) {
    // The archive's own folder, its separator included.
    const std::string out_folder = a_filepath.substr(0, name_start(a_filepath));
    Secrets st;
    if (load_secret_exponent(secret_path, password, st.exponent) != 0) return 1;
    Files files;
    files.archive = plat::open_read(a_filepath.c_str());
    if (!files.archive) {
        warn(a_filepath.c_str(), msg::kOpenFailed);
        return 1;
    }
    unsigned char image[layout::kPublicValueBytes];
    if (!plat::read_exact(files.archive, image, sizeof image)) return 1;
    uint32_t ephemeral[QUILL_LIMBS];
    load_num(ephemeral, image);
    fx_enujyou(ephemeral, st.exponent, st.shared);
    start_stream(&st, image);

    bool accepted = false;
    for (;;) {
        unsigned char block[kBlockBytes];
        const int64_t got = plat::read(files.archive, block, kBlockBytes);
        if (got == 0) return 0;
        // A partial block is no part of any archive: it was cut or damaged.
        if (got != int64_t(kBlockBytes)) return 1;
        Rfukugou(block, st.chain, st.key, st.inv);
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
        const int32_t result = restore_entry(files, e, out_folder, st);
        if (result != kNextEntry) return result;
    }
}

}  // namespace

int32_t fukugouka(const char *secret_path, const unsigned char *password, const char *public_path) {
    if (!selection.made) return 1;
    try {
        if (!selection.walk_failure.empty()) {
            warn(selection.walk_failure.c_str(), msg::kWalkTooDeep);
            return 1;
        }
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
        return decrypt_archive(secret_path, password);
    } catch (const std::bad_alloc &) {
        return 1;
    }
}
