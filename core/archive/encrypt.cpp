// The encryption driver: the current selection as one archive for one
// recipient, next to the first selected item, then signed by the sender.
#include <zlib.h>

#include <cstring>
#include <new>
#include <string>

#include "archive/layout.h"
#include "archive/msgbox.h"
#include "archive/selection.h"
#include "archive/stream.h"
#include "bytes.h"
#include "keys/keyfile.h"
#include "messages.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"

namespace {

using namespace quill;
using layout::kBlockBytes;
using layout::kChunkBlocks;
using layout::kChunkBytes;

constexpr char kArchiveExtension[] = ".velm";

// The item whose entry angoufolder or angoumain writes next: its full native
// path, and its entry name (code page 932, "\" between components).
std::string a_filepath;
std::string a_filename;

// angoufolder reports nothing, so a failed write is kept here for angouka.
bool folder_failed = false;

// Enciphers blocks in place, in order, and writes them.
bool put_blocks(plat::File *out, unsigned char *data, size_t blocks, const uint32_t *key,
                unsigned char *chain) {
    for (size_t i = 0; i < blocks; i++) Rangou(data + i * kBlockBytes, chain, key);
    return plat::write(out, data, blocks * kBlockBytes);
}

// The current entry name with its NUL, in whole blocks; zero filler.
bool put_name(plat::File *out, const uint32_t *key, unsigned char *chain) {
    unsigned char buf[layout::kMaxNameBlocks * kBlockBytes] = {};
    const size_t length = a_filename.size() + 1;
    std::memcpy(buf, a_filename.c_str(), length);
    return put_blocks(out, buf, size_t(layout::blocks_for(length)), key, chain);
}

// Stored data: whole chunks, then the remaining whole blocks, then the
// partial block. A short read fails: the header already promised size bytes.
// Reads exactly n bytes of a source, counted for the progress.
bool take_source(plat::File *src, unsigned char *buf, size_t n) {
    if (!plat::read_exact(src, buf, n)) return false;
    progress::advance(n);
    return true;
}

bool put_stored(plat::File *out, plat::File *src, uint64_t size, const uint32_t *key,
                unsigned char *chain) {
    unsigned char chunk[kChunkBytes];
    const uint64_t blocks = size / kBlockBytes;
    for (uint64_t i = 0; i < blocks / kChunkBlocks; i++) {
        if (!take_source(src, chunk, kChunkBytes)) return false;
        if (!put_blocks(out, chunk, kChunkBlocks, key, chain)) return false;
    }
    const size_t rest = size_t(blocks % kChunkBlocks);
    if (rest != 0) {
        if (!take_source(src, chunk, rest * kBlockBytes)) return false;
        if (!put_blocks(out, chunk, rest, key, chain)) return false;
    }
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes] = {};
        if (!take_source(src, block, tail)) return false;
        if (!put_blocks(out, block, 1, key, chain)) return false;
    }
    return true;
}

// Compressed data: exactly size bytes of the source run through deflate, as
// many as the header states; a source that shrank meanwhile fails like a
// short read of stored data, and one that grew is taken only up to size.
// Every full output chunk is enciphered and written, and the last one is
// rounded up to whole blocks.
bool put_compressed(plat::File *out, plat::File *src, uint64_t size, const uint32_t *key,
                    unsigned char *chain) {
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
    unsigned char in[kChunkBytes];
    unsigned char chunk[kChunkBytes];
    z.next_out = chunk;
    z.avail_out = kChunkBytes;
    uint64_t left = size;
    int flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
    bool ok = true;
    for (;;) {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            const size_t want = left < kChunkBytes ? size_t(left) : kChunkBytes;
            if (!take_source(src, in, want)) {
                ok = false;
                break;
            }
            left -= want;
            if (left == 0) flush = Z_FINISH;
            z.next_in = in;
            z.avail_in = uInt(want);
        }
        const int rc = deflate(&z, flush);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) {
            ok = false;
            break;
        }
        if (z.avail_out == 0) {
            if (!put_blocks(out, chunk, kChunkBlocks, key, chain)) {
                ok = false;
                break;
            }
            z.next_out = chunk;
            z.avail_out = kChunkBytes;
        }
    }
    if (ok) {
        const size_t filled = kChunkBytes - z.avail_out;
        const size_t blocks = size_t(layout::blocks_for(filled));
        std::memset(chunk + filled, 0, blocks * kBlockBytes - filled);
        ok = put_blocks(out, chunk, blocks, key, chain);
    }
    const int end = deflateEnd(&z);
    wipe(in, sizeof in);
    return ok && end == Z_OK;
}

// The file entry of the open source at a_filepath.
int32_t put_file_entry(plat::File *out, plat::File *src, const uint32_t *key, unsigned char *chain,
                       bool compress) {
    const char *path = a_filepath.c_str();
    const int64_t size = plat::size(src);
    plat::FileTimes times{};
    if (size < 0 || !plat::get_times(src, &times)) {
        warn(path, msg::kAbnormalFile);
        return 1;
    }
    if (uint64_t(size) >= layout::kSizeLimit) {
        warn(path, msg::kTooLarge);
        return 1;
    }
    unsigned char block[kBlockBytes];
    layout::store_header(block, uint64_t(size), uint32_t(a_filename.size() + 1),
                         compress ? layout::kKindCompressed : layout::kKindStored);
    if (!put_blocks(out, block, 1, key, chain)) return 1;
    layout::store_times(block, times, plat::attributes(path));
    if (!put_blocks(out, block, 1, key, chain)) return 1;
    if (!put_name(out, key, chain)) return 1;
    const bool ok = compress ? put_compressed(out, src, uint64_t(size), key, chain)
                             : put_stored(out, src, uint64_t(size), key, chain);
    return ok ? 0 : 1;
}

// The archive being written; deleted unless it was completed.
struct Archive {
    char path[plat::kPathMax] = {};
    plat::File *file = nullptr;
    bool created = false;
};

constexpr int32_t kStopped = 3;

// Makes a_filepath and a_filename the item at relative path rel. On failure
// the item's box has been shown.
bool set_item(const std::string &rel) {
    if (!full_path(rel, &a_filepath)) {
        warn((selection.a_folder + rel).c_str(), msg::kPathTooLong);
        return false;
    }
    char name[layout::kMaxNameBytes];
    switch (plat::to_archive_name(rel.c_str(), name, sizeof name)) {
        case plat::kNameOk:
            a_filename = name;
            return true;
        case plat::kNameTooLong:
            warn(a_filepath.c_str(), msg::kPathTooLong);
            return false;
        default:
            warn(a_filepath.c_str(), msg::kNameNotConvertible);
            return false;
    }
}

// The bytes of every selected file as they are now.
uint64_t contents_bytes() {
    uint64_t total = 0;
    std::string path;
    for (const std::string &rel : selection.files) {
        const int64_t size = full_path(rel, &path) ? plat::file_size(path.c_str()) : -1;
        if (size > 0) total += uint64_t(size);
    }
    return total;
}

// True when at least one selected file or folder still exists.
bool anything_left() {
    std::string path;
    for (const auto *list : {&selection.folders, &selection.files})
        for (const std::string &rel : *list)
            if (full_path(rel, &path) && plat::attributes(path.c_str()) != plat::kNoAttributes)
                return true;
    return false;
}

// An encryption up to its signature: the archive's name, its file, the key
// agreement and every entry. 0 written and closed; kStopped at the name
// prompt; 1 failure.
int32_t write_archive(Archive &a, const char *public_path, bool compress) {
    if (!selection.walk_failure.empty()) {
        warn(selection.walk_failure.c_str(), msg::kWalkTooDeep);
        return 1;
    }
    // An archive of no entries holds nothing the user chose: every item has
    // gone since it was chosen (or none existed).
    if (!anything_left()) {
        warn(selection.first_item.c_str(), msg::kNothingToEncrypt);
        return 1;
    }
    const std::string &item = selection.first_item;
    if (item.size() + sizeof kArchiveExtension > sizeof a.path) {
        warn(item.c_str(), msg::kPathTooLong);
        return 1;
    }
    char scratch[plat::kPathMax] = {};
    switch (angoufilemeisakusei(item.c_str(), a.path, scratch)) {
        case 0:
        case 2:
            break;
        case 1:
            plat::remove_file(a.path);  // a failure shows when the archive is created
            break;
        case 3:
            return kStopped;
        default:
            return 1;
    }
    a.file = plat::create_new(a.path);
    if (!a.file) return 1;
    a.created = true;

    Secrets s;
    uint32_t y[QUILL_LIMBS];
    if (load_public_key(public_path, y) != 0) return 1;
    // r is drawn before the key derivation: nothing may draw from the
    // generator between kagikazusakusei and the last block.
    if (random_exponent(s.exponent) != 0) return 1;
    fx_enujyou(y, s.exponent, s.shared);
    uint32_t ephemeral[QUILL_LIMBS];
    x_enujyou(s.exponent, ephemeral);
    unsigned char image[layout::kPublicValueBytes];
    store_num(image, ephemeral);
    start_stream(&s, image);
    if (!plat::write(a.file, image, sizeof image)) return 1;
    unsigned char *chain = s.chain;

    folder_failed = false;
    for (const std::string &rel : selection.folders) {
        if (!set_item(rel)) return 1;
        angoufolder(a.path, a.file, s.key, s.inv, chain);
        if (folder_failed) return 1;
    }
    for (const std::string &rel : selection.files) {
        if (!set_item(rel)) return 1;
        // An old archive among the selected files has just been replaced by
        // this one, which cannot be its own content: where files are not
        // locked it would be read while it grows.
        if (a_filepath == a.path) {
            warn(a.path, msg::kOpenFailed);
            return 1;
        }
        if (angoumain(a.path, a.file, s.key, s.inv, chain, compress ? 1 : 0) != 0) return 1;
    }
    plat::close(a.file);
    a.file = nullptr;
    return 0;
}

}  // namespace

int32_t angouka(const char *secret_path, const unsigned char *password, const char *public_path,
                int32_t compress) {
    if (!selection.made) return 1;
    // The contents are read twice: to encipher them, and within the
    // archive to sign it; once the archive is written its size is known.
    progress::Scope scope(2 * contents_bytes());
    Archive a;
    int32_t result;
    try {
        result = write_archive(a, public_path, compress != 0);
    } catch (const std::bad_alloc &) {
        result = 1;
    }
    if (a.file) plat::close(a.file);
    if (result == kStopped) return 0;
    if (result != 0) {
        if (a.created) plat::remove_file(a.path);
        return 1;
    }
    const int64_t written = plat::file_size(a.path);
    if (written > 0) progress::set_total(progress::done() + uint64_t(written));
    uint32_t h[QUILL_SHA_WORDS];
    uint32_t s[QUILL_LIMBS];
    if (syomeisakusei(secret_path, password, a.path, h, s) != 0) return 2;
    if (append(a.path, h, s) != 0) return 2;
    return 0;
}

int32_t angoumain(const char * /*archive_path*/, void *archive, const uint32_t *key,
                  const uint32_t * /*inv*/, unsigned char *chain, int32_t compress) {
    plat::File *out = static_cast<plat::File *>(archive);
    plat::File *src = plat::open_read(a_filepath.c_str());
    if (!src) {
        warn(a_filepath.c_str(), msg::kOpenFailed);
        return 1;
    }
    const int32_t result = put_file_entry(out, src, key, chain, compress != 0);
    plat::close(src);
    return result;
}

void angoufolder(const char * /*archive_path*/, void *archive, const uint32_t *key,
                 const uint32_t * /*inv*/, unsigned char *chain) {
    plat::File *out = static_cast<plat::File *>(archive);
    unsigned char block[kBlockBytes];
    layout::store_header(block, 0, uint32_t(a_filename.size() + 1), layout::kKindFolder);
    if (!put_blocks(out, block, 1, key, chain) || !put_name(out, key, chain)) folder_failed = true;
}
