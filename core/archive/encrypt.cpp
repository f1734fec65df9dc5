// The encryption driver: the current selection as one archive for one
// recipient, next to the first selected item, then signed by the sender.
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "archive/layout.h"
#include "archive/msgbox.h"
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

constexpr char kArchiveExtension[] = ".velm";

// The item whose entry angoufolder or angoumain writes next: its full native
// path, and its entry name (code page 932, "\" between components).
std::string a_filepath;
std::string a_filename;

// The data of a file passes in pieces of this size, read into the stream's
// own chunks (stored) or through deflate (compressed).
constexpr size_t kPieceBytes = 64 * 1024;

// The current entry name with its NUL, in whole blocks; zero filler.
void put_name(BlockWriter &w) {
    unsigned char buf[layout::kMaxNameBlocks * kBlockBytes] = {};
    const size_t length = a_filename.size() + 1;
    std::memcpy(buf, a_filename.c_str(), length);
    w.put(buf, size_t(layout::blocks_for(length)));
}

// Reads exactly n bytes of a source, counted for the progress.
bool take_source(plat::File *src, unsigned char *buf, size_t n) {
    if (!plat::read_exact(src, buf, n)) return false;
    progress::advance(n);
    return true;
}

// Stored data: the whole blocks, read ahead by the stream's helper, then the
// partial block. A short read fails: the header already promised size
// bytes.
bool put_stored(BlockWriter &w, plat::File *src, uint64_t size) {
    if (!w.put_source(src, size / kBlockBytes, progress::advance)) return false;
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes] = {};
        if (!take_source(src, block, tail)) return false;
        w.put(block, 1);
    }
    return true;
}

// Compressed data: exactly size bytes of the source run through deflate, as
// many as the header states; a source that shrank meanwhile fails like a
// short read of stored data, and one that grew is taken only up to size.
// Every full output piece is enciphered and written, and the last one is
// rounded up to whole blocks.
bool put_compressed(BlockWriter &w, plat::File *src, uint64_t size) {
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
    std::unique_ptr<unsigned char[]> in(new unsigned char[kPieceBytes]);
    std::unique_ptr<unsigned char[]> piece(new unsigned char[kPieceBytes]);
    z.next_out = piece.get();
    z.avail_out = kPieceBytes;
    uint64_t left = size;
    int flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
    bool ok = true;
    for (;;) {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            const size_t want = left < kPieceBytes ? size_t(left) : kPieceBytes;
            if (!take_source(src, in.get(), want)) {
                ok = false;
                break;
            }
            left -= want;
            if (left == 0) flush = Z_FINISH;
            z.next_in = in.get();
            z.avail_in = uInt(want);
        }
        const int rc = deflate(&z, flush);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) {
            ok = false;
            break;
        }
        if (z.avail_out == 0) {
            w.put(piece.get(), kPieceBytes / kBlockBytes);
            z.next_out = piece.get();
            z.avail_out = kPieceBytes;
        }
    }
    if (ok) {
        const size_t filled = kPieceBytes - z.avail_out;
        const size_t blocks = size_t(layout::blocks_for(filled));
        std::memset(piece.get() + filled, 0, blocks * kBlockBytes - filled);
        w.put(piece.get(), blocks);
    }
    const int end = deflateEnd(&z);
    wipe(in.get(), kPieceBytes);
    return ok && end == Z_OK;
}

// The file entry of the open source at a_filepath.
int32_t put_file_entry(BlockWriter &w, plat::File *src, bool compress) {
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
    w.put(block, 1);
    layout::store_times(block, times, plat::attributes(path));
    w.put(block, 1);
    put_name(w);
    const bool ok =
        compress ? put_compressed(w, src, uint64_t(size)) : put_stored(w, src, uint64_t(size));
    return ok ? 0 : 1;
}

// The file entry of the item at a_filepath.
int32_t put_file(BlockWriter &w, bool compress) {
    plat::File *src = plat::open_read(a_filepath.c_str());
    if (!src) {
        warn(a_filepath.c_str(), msg::kOpenFailed);
        return 1;
    }
    const int32_t result = put_file_entry(w, src, compress);
    plat::close(src);
    return result;
}

// The folder entry of the item.
void put_folder(BlockWriter &w) {
    unsigned char block[kBlockBytes];
    layout::store_header(block, 0, uint32_t(a_filename.size() + 1), layout::kKindFolder);
    w.put(block, 1);
    put_name(w);
}

// The archive the last call of angouka left, or empty.
char archivefilepath[plat::kPathMax] = {};

// The archive being written; deleted unless it was completed.
struct Archive {
    char path[plat::kPathMax] = {};
    plat::File *file = nullptr;
    bool created = false;
    Secrets secrets;
    Sha256 body;  // the hash of every byte written, for the signature
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

    Secrets &s = a.secrets;
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
    // The signature covers the bytes as they are written: the public value,
    // then every chunk of the stream as the helper thread writes it.
    sha256_start(&a.body);
    sha256_add(&a.body, image, sizeof image);

    BlockWriter w(a.file, s.key, s.chain, &a.body, true);
    if (!w.usable()) return 1;
    for (const std::string &rel : selection.folders) {
        if (!set_item(rel)) return 1;
        put_folder(w);
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
        if (put_file(w, compress) != 0) return 1;
    }
    if (!w.finish()) return 1;
    const bool closed = plat::close(a.file);
    a.file = nullptr;
    return closed ? 0 : 1;
}

}  // namespace

int32_t angouka(const char *secret_path, const unsigned char *password, const char *public_path,
                int32_t compress) {
    archivefilepath[0] = '\0';
    if (!selection.made) return 1;
    progress::Scope scope(contents_bytes());
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
    std::memcpy(archivefilepath, a.path, sizeof archivefilepath);
    uint32_t h[QUILL_SHA_WORDS];
    uint32_t s[QUILL_LIMBS];
    if (sign_body(secret_path, password, &a.body, h, s) != 0) return 2;
    if (append(a.path, h, s) != 0) return 2;
    return 0;
}

const char *angoufilemei(void) {
    return archivefilepath;
}

int32_t angoumain(const char * /*archive_path*/, void *archive, const uint32_t *key,
                  const uint32_t * /*inv*/, unsigned char *chain, int32_t compress) {
    try {
        // One entry on its own: the keystream is drawn exactly, so that the
        // next call goes on where this one ends.
        BlockWriter w(static_cast<plat::File *>(archive), key, chain, nullptr, false);
        if (!w.usable()) return 1;
        const int32_t result = put_file(w, compress != 0);
        return w.finish() ? result : 1;
    } catch (const std::bad_alloc &) {
        return 1;
    }
}

void angoufolder(const char * /*archive_path*/, void *archive, const uint32_t *key,
                 const uint32_t * /*inv*/, unsigned char *chain) {
    try {
        // It reports nothing: a write that failed fails the next one too.
        BlockWriter w(static_cast<plat::File *>(archive), key, chain, nullptr, false);
        if (!w.usable()) return;
        put_folder(w);
        w.finish();
    } catch (const std::bad_alloc &) {
    }
}
