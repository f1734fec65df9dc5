// The encryption driver: the current selection as one archive for one
// recipient, next to the first selected item, then signed by the sender.
// The archive is written as a temporary file beside its final name and
// takes that name only once it is complete (place/temp.h): an old archive
// that the user chose to overwrite stays as it was until then, and a failed
// or interrupted encryption leaves nothing under the archive's name.
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bytes.h"
#include "drivers/context.h"
#include "drivers/selection.h"
#include "engine/compressor.h"
#include "engine/pipeline.h"
#include "format/entryname.h"
#include "format/layout.h"
#include "format/stream.h"
#include "guarded.h"
#include "keys/keyfile.h"
#include "keys/signing.h"
#include "messages.h"
#include "paths.h"
#include "place/leftovers.h"
#include "place/settle.h"
#include "place/temp.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"
#include "report.h"

namespace {

using namespace quill;
using layout::kBlockBytes;

constexpr char kArchiveExtension[] = ".velm";

// The item whose entry angoufolder or angoumain writes next: its full native
// path, and its entry name (code page 932, "\" between components).

// The blocks in front of an entry's data: its header, a file's times, and
// the current entry name with its NUL in whole blocks, zero filler.
constexpr size_t kEntryFrontBytes = (2 + layout::kMaxNameBlocks) * kBlockBytes;
static_assert(kEntryFrontBytes <= kStreamPrefixBytes, "an entry's front goes before its stream");

size_t entry_front(unsigned char *to, uint64_t size, uint32_t kind, const plat::FileTimes *times,
                   uint32_t attributes) {
    std::memset(to, 0, kEntryFrontBytes);
    const size_t length = current().a_filename.size() + 1;
    layout::store_header(to, size, uint32_t(length), kind);
    unsigned char *at = to + kBlockBytes;
    if (times) {
        layout::store_times(at, *times, attributes);
        at += kBlockBytes;
    }
    std::memcpy(at, current().a_filename.c_str(), length);
    return size_t(at - to) + size_t(layout::blocks_for(length)) * kBlockBytes;
}

// A source read that did not give every byte asked for: a box saying why.
// The header already promised them, so the encryption fails.
bool source_failed(plat::ReadEnd end, plat::Failure why) {
    if (end == plat::kReadShort)
        fail(current().a_filepath.c_str(), msg::kChanged);
    else
        fail(current().a_filepath.c_str(), msg::kReadFailed, why);
    return false;
}

// Reads exactly n bytes of a source, counted for the progress.
bool take_source(plat::File *src, unsigned char *buf, size_t n) {
    const plat::ReadEnd end = plat::read_whole(src, buf, n);
    if (end != plat::kReadWhole) return source_failed(end, plat::last_failure());
    progress::advance(n);
    return true;
}

// Stored data: the whole blocks, read ahead by the stream's helper, then the
// partial block.
bool put_stored(BlockWriter &w, plat::File *src, uint64_t size) {
    plat::Failure why = plat::kFailUnknown;
    const plat::ReadEnd end = w.put_source(src, size / kBlockBytes, progress::advance, &why);
    if (end != plat::kReadWhole) return source_failed(end, why);
    const size_t tail = size_t(size % kBlockBytes);
    if (tail != 0) {
        unsigned char block[kBlockBytes] = {};
        if (!take_source(src, block, tail)) return false;
        w.put(block, 1);
    }
    return true;
}

// The source of a compressed entry: exactly as many bytes as the header
// states; a source that shrank meanwhile fails as stored data does, and one
// that grew is taken only up to the size.
class SourceBytes : public ByteSource {
  public:
    explicit SourceBytes(plat::File *src) : src_(src) {}
    bool read(unsigned char *to, size_t n) override { return take_source(src_, to, n); }

  private:
    plat::File *src_;
};

// The entries' fronts and zlib streams into the block stream: whole blocks
// as they come, each stream's last one filled up with zeros.
class StreamBlocks : public ByteOut {
  public:
    explicit StreamBlocks(BlockWriter &w) : w_(w) {}
    void put(const unsigned char *bytes, size_t n) override {
        if (held_ != 0) {
            const size_t k = n < kBlockBytes - held_ ? n : kBlockBytes - held_;
            std::memcpy(block_ + held_, bytes, k);
            held_ += k;
            bytes += k;
            n -= k;
            if (held_ < kBlockBytes) return;
            w_.put(block_, 1);
            held_ = 0;
        }
        w_.put(bytes, n / kBlockBytes);
        held_ = n % kBlockBytes;
        std::memcpy(block_, bytes + n - held_, held_);
    }
    void end_stream() override {
        if (held_ == 0) return;
        std::memset(block_ + held_, 0, kBlockBytes - held_);
        w_.put(block_, 1);
        held_ = 0;
    }

  private:
    BlockWriter &w_;
    unsigned char block_[kBlockBytes] = {};
    size_t held_ = 0;
};

// The compression of a run of file entries: its workers, and where their
// streams go.
struct Compression {
    explicit Compression(BlockWriter &w) : compressor(compression_threads()), out(w) {}
    Compressor compressor;
    StreamBlocks out;
};

// A compression on one thread per processor when compress; false when one
// was asked for and its memory cannot be had.
bool compression_for(bool compress, BlockWriter &w, std::unique_ptr<Compression> *c) {
    if (compress) c->reset(new Compression(w));
    return !compress || (*c)->compressor.usable();
}

// Every entry handed to the compression in the block stream.
bool compression_done(Compression *c) {
    return !c || c->compressor.flush(c->out);
}

// The file entry of the open source at a_filepath; compressed when a
// compression is given, which reads the whole source before it returns
// and lets the entry out behind those given before.
int32_t put_file_entry(BlockWriter &w, plat::File *src, Compression *c) {
    const char *path = current().a_filepath.c_str();
    plat::FileInfo info;
    if (!plat::describe(src, path, &info) || info.size < 0) {
        fail(path, msg::kAbnormalFile);
        return 1;
    }
    const uint64_t size = uint64_t(info.size);
    if (size >= layout::kSizeLimit) {
        fail(path, msg::kTooLarge);
        return 1;
    }
    unsigned char front[kEntryFrontBytes];
    const size_t n = entry_front(front, size, c ? layout::kKindCompressed : layout::kKindStored,
                                 &info.times, info.attributes);
    if (c) {
        SourceBytes in(src);
        return c->compressor.add(front, n, size, in, c->out) ? 0 : 1;
    }
    w.put(front, n / kBlockBytes);
    return put_stored(w, src, size) ? 0 : 1;
}

// The file entry of the item at a_filepath.
int32_t put_file(BlockWriter &w, Compression *compress) {
    plat::File *src = plat::open_read(current().a_filepath.c_str());
    if (!src) {
        fail(current().a_filepath.c_str(), msg::kOpenFailed, plat::last_failure());
        return 1;
    }
    const int32_t result = put_file_entry(w, src, compress);
    plat::close(src);
    return result;
}

// The folder entry of the item.
void put_folder(BlockWriter &w) {
    unsigned char front[kEntryFrontBytes];
    w.put(front, entry_front(front, 0, layout::kKindFolder, nullptr, 0) / kBlockBytes);
}

// The archive the last call of angouka left, or empty.

// The archive being written: its name, the temporary file that becomes it,
// and what it is enciphered and signed with.
struct Archive {
    std::string path;
    place::Settled how = place::kFree;  // what the name prompt settled
    place::Temp temp;
    Secrets secrets;
    Sha256 body;  // the hash of every byte written, for the signature
};

constexpr int32_t kStopped = 3;

// The files an archive holds: the selection's, then the links that the walk
// took as the files they lead to.
std::vector<std::string> entry_files() {
    std::vector<std::string> files = selection().files;
    files.insert(files.end(), selection().linked.begin(), selection().linked.end());
    return files;
}

// The first control character of a path, which no entry name may hold, as
// a note on it; none when it holds none.
void control_character(const std::string &rel, char note[plat::kNoteBytes]) {
    for (const char c : rel)
        if (static_cast<unsigned char>(c) < 0x20) {
            std::snprintf(note, plat::kNoteBytes, "%c U+%04X", c, unsigned(c));
            return;
        }
}

struct EntryNames {
    std::vector<std::string> folders, files;
};

// The entry names of the folders and files, as the entries will hold them:
// only what this build's own decryption accepts and gives back as a native
// path. A path that cannot be held so gets an empty name and joins
// problems. A path that comes back in another spelling (a decomposed name,
// the other spelling of a code page 932 character) joins respelled, or
// problems when another path has its name.
void name_all(const std::vector<std::string> &folders, const std::vector<std::string> &files,
              EntryNames *names, std::vector<Problem> *problems, std::vector<Problem> *respelled) {
    struct Held {
        const std::string *rel;
        std::string name;
        bool other_spelling;
    };
    std::vector<Held> held;
    std::map<std::string, size_t> uses;
    const auto name_list = [&](const std::vector<std::string> &rels,
                               std::vector<std::string> *out) {
        for (const std::string &rel : rels) {
            char name[layout::kMaxNameBytes];
            char back[plat::kPathMax];
            const plat::NameResult made = plat::to_archive_name(rel.c_str(), name, sizeof name);
            const bool ok = made == plat::kNameOk && entry_name_safe(name) &&
                            plat::from_archive_name(name, back, sizeof back) == plat::kNameOk;
            out->push_back(ok ? name : "");
            if (ok) {
                held.push_back({&rel, name, rel != back});
                uses[name]++;
                continue;
            }
            char note[plat::kNoteBytes] = "";
            if (made == plat::kNameUnrepresentable) plat::name_unheld(rel.c_str(), note);
            if (made == plat::kNameOk) control_character(rel, note);
            problems->push_back(
                {made == plat::kNameTooLong ? Problem::kTooLong : Problem::kNameNotHeld,
                 selection().a_folder + rel, plat::kFailUnknown, note});
        }
    };
    name_list(folders, &names->folders);
    name_list(files, &names->files);
    // Two paths with one name cannot both come back as they are: each of
    // them that comes back in another spelling is named.
    for (const Held &h : held) {
        if (!h.other_spelling) continue;
        char note[plat::kNoteBytes] = "";
        plat::name_respelled(h.rel->c_str(), note);
        const bool shared = uses[h.name] > 1;
        (shared ? problems : respelled)
            ->push_back({shared ? Problem::kNameShared : Problem::kRespelled,
                         selection().a_folder + *h.rel, plat::kFailUnknown, note});
    }
}

// Makes a_filepath and a_filename the item at relative path rel, named name.
bool set_item(const std::string &rel, const std::string &name) {
    if (!full_path(rel, &current().a_filepath)) {
        fail((selection().a_folder + rel).c_str(), msg::kPathTooLong);
        return false;
    }
    current().a_filename = name;
    return true;
}

// The bytes of every selected file as they are now.
uint64_t contents_bytes() {
    uint64_t total = 0;
    std::string path;
    for (const std::vector<std::string> *list : {&selection().files, &selection().linked}) {
        for (const std::string &rel : *list) {
            const int64_t size = full_path(rel, &path) ? plat::file_size(path.c_str()) : -1;
            if (size > 0) total += uint64_t(size);
        }
    }
    return total;
}

// True when at least one selected file or folder still exists.
bool anything_left(const std::vector<std::string> &files) {
    std::string path;
    const std::vector<std::string> *lists[] = {&selection().folders, &files};
    for (const std::vector<std::string> *list : lists)
        for (const std::string &rel : *list)
            if (full_path(rel, &path) && plat::attributes(path.c_str()) != plat::kNoAttributes)
                return true;
    return false;
}

// An encryption up to its signature: the names, the archive's name, its
// temporary file, the key agreement and every entry. 0 written; kStopped at
// the name prompt; 1 failure.
int32_t write_archive(Archive &a, const char *public_path, bool compress) {
    // Every problem of the selection in one message, before anything is made;
    // then, in one more, what the archive leaves out or holds in another form.
    const std::vector<std::string> files = entry_files();
    EntryNames names;
    std::vector<Problem> unnamed, respelled;
    name_all(selection().folders, files, &names, &unnamed, &respelled);
    if (report_problems(msg::kCannotEncryptItems, true, unnamed)) return 1;
    report_notices(msg::kNoticeItems, respelled);
    // An archive of no entries holds nothing the user chose: every item has
    // gone since it was chosen (or none existed).
    if (!anything_left(files)) {
        fail(selection().first_item.c_str(), msg::kNothingToEncrypt);
        return 1;
    }
    // The first item followed by ".velm", unless the call named the archive.
    const std::string &item = selection().first_item;
    const std::string &named = current().archive_named;
    const std::string &shown = named.empty() ? item : named;
    if ((named.empty() ? item.size() + sizeof kArchiveExtension : named.size() + 1) >
        plat::kPathMax) {
        fail(shown, msg::kPathTooLong);
        return 1;
    }
    char path[plat::kPathMax] = {};
    char scratch[plat::kPathMax] = {};
    named.copy(path, named.size());
    const int32_t code =
        named.empty() ? angoufilemeisakusei(item.c_str(), path, scratch) : filenamesyori(path);
    a.path = path;
    a.how = place::settled_from(code, a.path);
    if (a.how == place::kStop) return kStopped;
    if (a.how == place::kFail) return 1;
    const std::string folder = folder_part(a.path);
    place::sweep_leftovers(folder);
    if (!a.temp.create(folder, a.path)) return 1;

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
    if (!a.temp.write(image, sizeof image, a.path)) return 1;
    // The signature covers the bytes as they are written: the public value,
    // then every chunk of the stream as the helper thread writes it.
    sha256_start(&a.body);
    sha256_add(&a.body, image, sizeof image);

    BlockWriter w(a.temp.file(), s.key, s.chain, &a.body, true);
    if (!w.usable()) return 1;
    std::unique_ptr<Compression> compression;
    if (!compression_for(compress, w, &compression)) return 1;
    for (size_t i = 0; i < selection().folders.size(); i++) {
        if (!set_item(selection().folders[i], names.folders[i])) return 1;
        put_folder(w);
    }
    for (size_t i = 0; i < files.size(); i++) {
        if (!set_item(files[i], names.files[i])) return 1;
        if (put_file(w, compression.get()) != 0) return 1;
    }
    if (!compression_done(compression.get())) return 1;
    if (!w.finish()) {
        fail(a.path.c_str(), msg::kWriteFailed, w.failure());
        return 1;
    }
    return 0;
}

// The signature appended to the archive's temporary file. 0 signed; 2
// signing failed or the trailer could not be written whole.
int32_t sign_archive(Archive &a, const char *secret_path, const unsigned char *password) {
    uint32_t h[QUILL_SHA_WORDS];
    uint32_t s[QUILL_LIMBS];
    if (sign_body(secret_path, password, &a.body, h, s) != 0) return 2;
    unsigned char trailer[kTrailerBytes];
    store_trailer(trailer, h, s);
    return a.temp.write(trailer, sizeof trailer, a.path) ? 0 : 2;
}

}  // namespace

int32_t angouka(const char *secret_path, const unsigned char *password, const char *public_path,
                int32_t compress) {
    current().archivefilepath[0] = '\0';
    if (!selection().made) return 1;
    return guarded(1, [&]() -> int32_t {
        progress::Scope scope(contents_bytes());
        Archive a;
        const int32_t written = write_archive(a, public_path, compress != 0);
        if (written == kStopped) return 0;
        if (written != 0) return 1;
        // An archive whose signing failed takes its name all the same: it
        // opens, read to its physical end, but no check accepts it.
        const int32_t signed_result = sign_archive(a, secret_path, password);
        if (!a.temp.finish(a.path)) return 1;
        switch (a.temp.place(&a.path, a.how)) {
            case place::kPlaced:
                break;
            case place::kStopped:
                return 0;
            case place::kFailed:
                return 1;
        }
        current().archivefilepath[a.path.copy(current().archivefilepath,
                                              sizeof current().archivefilepath - 1)] = '\0';
        return signed_result;
    });
}

int32_t angouka_saki(const char *secret_path, const unsigned char *password,
                     const char *public_path, int32_t compress, const char *archive_path) {
    return guarded(1, [&]() -> int32_t {
        // The name holds for this call alone: the next angouka names its
        // archive after the first item again.
        struct Named {
            explicit Named(const char *path) { current().archive_named = path ? path : ""; }
            ~Named() { current().archive_named.clear(); }
        } named(archive_path);
        return angouka(secret_path, password, public_path, compress);
    });
}

const char *angoufilemei(void) {
    return current().archivefilepath;
}

int32_t angoumain(const char * /*archive_path*/, void *archive, const uint32_t *key,
                  const uint32_t * /*inv*/, unsigned char *chain, int32_t compress) {
    return guarded(1, [&]() -> int32_t {
        // One entry on its own: the keystream is drawn exactly, so that the
        // next call goes on where this one ends.
        BlockWriter w(static_cast<plat::File *>(archive), key, chain, nullptr, false);
        if (!w.usable()) return 1;
        std::unique_ptr<Compression> compression;
        if (!compression_for(compress != 0, w, &compression)) return 1;
        const int32_t result = put_file(w, compression.get());
        const bool done = compression_done(compression.get());
        return w.finish() && done ? result : 1;
    });
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
