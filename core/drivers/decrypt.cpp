// The decryption drivers: every selected archive checked against the
// sender's signature and then unpacked into the folder that holds it; one
// archive into another folder; one archive read once, its entries staged
// until its signature verified; and a list of an archive's entries. One
// reader serves them all (entries.h); where the files go is the placement's
// (place/).
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bytes.h"
#include "drivers/context.h"
#include "drivers/selection.h"
#include "engine/entries.h"
#include "engine/pipeline.h"
#include "engine/writebehind.h"
#include "format/layout.h"
#include "guarded.h"
#include "keys/keyfile.h"
#include "keys/signing.h"
#include "messages.h"
#include "paths.h"
#include "place/attributes.h"
#include "place/destination.h"
#include "place/settle.h"
#include "place/staging.h"
#include "place/temp.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"
#include "report.h"

namespace {

using namespace quill;
using place::Outcome;

// The archive fukugousyori decrypts (full native path).

// An archive's result for what became of an entry.
Step step_of(Outcome o) {
    return o == place::kPlaced ? Step::kNext : o == place::kStopped ? Step::kDone : Step::kFailed;
}

// Restores each entry as it comes: folders made, each file written to a
// temporary file beside its final name. Finished files take their names in
// batches, once one flush has put the batch on stable storage: a file per
// flush would cost a tree of small files a journal commit each.
class Restore : public EntrySink {
  public:
    Restore(place::Destination &to, WriteBehind *behind) : to_(to), behind_(behind) {}
    Step begin(const Entry &e) override {
        if (e.folder) {
            std::string made;
            const Outcome o = to_.folder_of(e.rel, &made);
            if (o == place::kPlaced && e.widened) widened.push_back(made);
            return step_of(o);
        }
        plat::Folder *in;
        const Outcome o = to_.file_path(e.rel, &path_, &in);
        if (o != place::kPlaced) return step_of(o);
        renamed_ = !to_.claim(path_);
        if (renamed_) {
            // The name of a file restored before: the entry goes beside it.
            if (!to_.claim_free(&path_)) return Step::kFailed;
            how_ = place::kRenamed;
        } else {
            const bool taken = place::taken(path_, in);
            if (taken && to_.refuses_archive(path_)) return Step::kFailed;
            how_ = taken ? place::settle(&path_) : place::kFree;
            if (how_ == place::kStop) return Step::kDone;
            if (how_ == place::kFail) return Step::kFailed;
            if (how_ == place::kRenamed) to_.claim(path_);
        }
        temp_ = std::make_unique<place::Temp>(behind_, plat::kFlushBatch);
        return temp_->create(folder_part(path_), path_, in) ? Step::kNext : Step::kFailed;
    }
    bool data(const unsigned char *bytes, size_t n) override {
        return temp_->write(bytes, n, path_);
    }
    Step end(const Entry &e) override {
        if (!temp_->finish_behind(path_, e.times, place::restorable(e.attributes)))
            return Step::kFailed;
        pending_.push_back(
            Finished{std::move(temp_), e.rel, path_, how_, e.attributes, e.widened || renamed_});
        return pending_.size() < kBatchFiles || place_pending() ? Step::kNext : Step::kFailed;
    }
    // Puts every finished file in place: after the last entry, and whatever
    // ended the archive. false when one could not be (a box has said why);
    // a stop at a prompt ends the placing there.
    bool place_pending() {
        // A file whose writing failed meanwhile stays out; the rest go on.
        std::vector<Finished *> whole;
        std::vector<const place::Temp *> temps;
        bool ok = true;
        for (Finished &f : pending_) {
            if (!f.temp->complete(f.path)) {
                ok = false;
                continue;
            }
            whole.push_back(&f);
            temps.push_back(f.temp.get());
        }
        if (!place::flush_staged(temps, to_.folder())) whole.clear();
        for (Finished *f : whole) {
            plat::Folder *in;
            std::string unused;
            Outcome o = to_.file_path(f->rel, &unused, &in);
            const bool replacing = f->how == place::kReplace;
            const std::string aside = replacing ? to_.aside_for(f->path) : std::string();
            if (o == place::kPlaced)
                o = f->temp->place(&f->path, f->how, in, replacing ? &aside : nullptr);
            if (o != place::kPlaced) {
                ok = ok && o == place::kStopped;
                break;
            }
            to_.placed(f->path, f->attributes, replacing);
            if (f->listed) widened.push_back(f->path.substr(to_.folder().size()));
        }
        const bool flushed = whole.size() == temps.size();
        pending_.clear();
        return to_.flush_touched() && flushed && ok;
    }
    std::vector<std::string> widened;  // what was restored under another name

  private:
    // Files finished in one batch, at most; the data of a batch waits in
    // temporary files until its flush.
    static constexpr size_t kBatchFiles = 1024;
    struct Finished {
        std::unique_ptr<place::Temp> temp;
        std::string rel;
        std::string path;  // as settled
        place::Settled how;
        uint32_t attributes;
        bool listed;  // under another name than the archive gives
    };
    place::Destination &to_;
    WriteBehind *behind_;
    std::string path_;  // the file's full path, as settled
    place::Settled how_ = place::kFree;
    bool renamed_ = false;  // an earlier file had its name
    std::unique_ptr<place::Temp> temp_;
    std::vector<Finished> pending_;
};

// Keeps each entry aside: folders by name, files as finished temporary
// files in the deepest folder of their way that exists, for the placement
// once the signature verified.
class Stage : public EntrySink {
  public:
    Stage(place::Destination &to, WriteBehind *behind) : to_(to), behind_(behind) {}
    Step begin(const Entry &e) override {
        if (e.folder) {
            staging.add(true, e.rel, nullptr, 0, e.widened);
            return Step::kNext;
        }
        shown_ = to_.folder() + e.rel;
        std::string folder;
        plat::Folder *in;
        to_.staging_folder(e.rel, &folder, &in);
        temp_ = std::make_unique<place::Temp>(behind_, plat::kFlushBatch);
        return temp_->create(folder, shown_, in) ? Step::kNext : Step::kFailed;
    }
    bool data(const unsigned char *bytes, size_t n) override {
        return temp_->write(bytes, n, shown_);
    }
    Step end(const Entry &e) override {
        if (!temp_->finish_behind(shown_, e.times, place::restorable(e.attributes)))
            return Step::kFailed;
        staging.add(false, e.rel, std::move(temp_), e.attributes, e.widened);
        return Step::kNext;
    }
    place::Staging staging;

  private:
    place::Destination &to_;
    WriteBehind *behind_;
    std::string shown_;  // where the file is meant to go
    std::unique_ptr<place::Temp> temp_;
};

// Hands each entry to the caller's handler; the data is deciphered all the
// same, so that an entry fails here as it would fail decryption.
class List : public EntrySink {
  public:
    List(quill_entry_handler handler, void *context) : handler_(handler), context_(context) {}
    Step begin(const Entry &e) override {
        quill_entry out{};
        out.folder = e.folder ? 1 : 0;
        out.compressed = e.compressed ? 1 : 0;
        out.size = e.size;
        out.creation = e.times.creation;
        out.access = e.times.access;
        out.write = e.times.write;
        out.attributes = e.attributes;
        out.name = e.rel.c_str();
        return handler_(context_, &out) != 0 ? Step::kDone : Step::kNext;
    }
    bool data(const unsigned char *, size_t) override { return true; }
    Step end(const Entry &) override { return Step::kNext; }

  private:
    quill_entry_handler handler_;
    void *context_;
};

// Tells the user which names were restored with full-width forms.
void report_widened(const std::string &archive, const std::vector<std::string> &names) {
    if (names.empty()) return;
    std::string lines;
    for (const std::string &name : names) lines += (lines.empty() ? "" : "\n") + name;
    note(archive, msg::kNamesChanged, lines);
}

// The exported result of how reading an archive ended: 0 done or stopped,
// 1 failure (a damaged archive among them), 2 the wrong key.
int32_t result_of(Step step) {
    return step == Step::kDone ? 0 : step == Step::kWrongKey ? 2 : 1;
}

// The archive at path read into sink, for the destination folder. Results
// as fukugousyori.
int32_t read_archive(const char *secret_path, const unsigned char *password,
                     const std::string &path, const std::string &folder, EntrySink &sink) {
    OpenArchive a;
    if (open_archive(path, secret_path, password, &a, nullptr) != 0) return 1;
    BlockReader reader(a.file, a.secrets);
    if (!reader.usable()) return 1;
    return result_of(read_entries(reader, path, folder, a.size, sink));
}

// The archive at path restored into folder. Results as fukugousyori.
int32_t restore_archive(const char *secret_path, const unsigned char *password,
                        const std::string &path, const std::string &folder) {
    place::Destination to(folder, path);
    WriteBehind behind;
    Restore sink(to, &behind);
    int32_t result = read_archive(secret_path, password, path, folder, sink);
    // What was finished before the archive ended, however it ended, takes
    // its place.
    if (!sink.place_pending()) result = 1;
    to.settle_asides(result == 0);
    if (!to.flush_touched()) result = 1;
    report_widened(path, sink.widened);
    return result;
}

// The signature (h, s) of the trailer at the end of the archive, checked
// against the body hashed so far. 0 valid; -1 it does not verify (or there
// is no trailer).
int32_t check_trailer(plat::File *archive, int64_t size, const uint32_t *y, Sha256 *body) {
    const int64_t smallest = int64_t(layout::kPublicValueBytes + kTrailerBytes);
    unsigned char trailer[kTrailerBytes];
    if (size < smallest || !plat::seek(archive, size - int64_t(kTrailerBytes)) ||
        !plat::read_exact(archive, trailer, sizeof trailer))
        return -1;
    uint32_t h[QUILL_LIMBS] = {}, s[QUILL_LIMBS];
    load_trailer(trailer, h, s);
    return verify_body(y, body, h, s);
}

// The archive at path read once: its entries staged in the destination
// while the archive is hashed, then its signature checked under y and the
// entries put in place, or removed. Results as fukugou_kensyou.
int32_t decrypt_verified(const char *secret_path, const unsigned char *password, const uint32_t *y,
                         const std::string &path, const std::string &folder, bool keep_unverified) {
    // The staged files wait in the destination, which outlives them.
    place::Destination to(folder, path);
    WriteBehind behind;
    Stage sink(to, &behind);
    Sha256 body;
    sha256_start(&body);
    OpenArchive a;
    if (open_archive(path, secret_path, password, &a, &body) != 0) return 1;
    // The signed body: everything in front of the trailer.
    const int64_t smallest = int64_t(layout::kPublicValueBytes + kTrailerBytes);
    const uint64_t body_bytes = a.size >= smallest ? uint64_t(a.size) - kTrailerBytes : 0;
    Step read;
    {
        const uint64_t after_image =
            body_bytes > layout::kPublicValueBytes ? body_bytes - layout::kPublicValueBytes : 0;
        BlockReader reader(a.file, a.secrets, &body, after_image);
        if (!reader.usable()) return 1;
        read = read_entries(reader, path, folder, a.size, sink);
        // A damaged archive is read to its end too: its signature tells
        // whether it was changed after it was signed.
        if ((read == Step::kDone || read == Step::kDamaged) && !reader.hash_rest()) {
            fail(path.c_str(), msg::kReadFailed, reader.failure());
            read = Step::kFailed;
        }
    }
    if (read != Step::kDone && read != Step::kDamaged) return result_of(read);
    const int32_t verified = check_trailer(a.file, a.size, y, &body);
    if (verified != 0 && !keep_unverified) return -1;
    // Of a damaged archive, what was read whole in front of the damage.
    const int32_t committed = sink.staging.commit(to);
    std::vector<std::string> widened;
    for (const place::Staging::Item &item : sink.staging.items())
        if (item.placed && (item.widened || !item.renamed.empty()))
            widened.push_back(item.renamed.empty() ? item.rel : item.renamed);
    report_widened(path, widened);
    if (committed != 0) return committed;
    return read == Step::kDamaged ? 1 : verified;
}

// The destination folder of the archive at path: out_folder, or the
// archive's own, with its separator.
std::string destination_of(const char *path, const char *out_folder) {
    std::string folder = out_folder && *out_folder ? out_folder : folder_part(path);
    if (!folder.empty() && !plat::is_separator(folder.back())) folder += plat::kSep;
    return folder;
}

// The bytes of the archive at path, for the progress of a call.
uint64_t archive_bytes(const std::string &path) {
    const int64_t size = plat::file_size(path.c_str());
    return size > 0 ? uint64_t(size) : 0;
}

}  // namespace

int32_t fukugouka(const char *secret_path, const unsigned char *password, const char *public_path) {
    if (!selection().made) return 1;
    return guarded(1, [&]() -> int32_t {
        // Archives that the walk could not list would be left out unseen.
        if (report_problems(msg::kCannotReadItems, false)) return 1;
        // Each archive is read twice: for the signature, then to decipher it.
        uint64_t total = 0;
        std::string path;
        for (const std::string &rel : selection().files)
            if (full_path(rel, &path)) total += 2 * archive_bytes(path);
        progress::Scope scope(total);
        for (const std::string &rel : selection().files) {
            if (!full_path(rel, &current().archive)) {
                fail((selection().a_folder + rel).c_str(), msg::kPathTooLong);
                return 1;
            }
            // A failed check only warns: the user may still want the content.
            if (syomei_kakunin(current().archive.c_str(), public_path) != 0)
                note(current().archive, msg::kSignatureBad);
            const int32_t result = fukugousyori(secret_path, password);
            if (result != 0) return result;
        }
        return 0;
    });
}

int32_t fukugousyori(const char *secret_path, const unsigned char *password) {
    return guarded(1, [&] {
        progress::Scope scope(archive_bytes(current().archive));
        return restore_archive(secret_path, password, current().archive,
                               destination_of(current().archive.c_str(), nullptr));
    });
}

int32_t naiyou_ichiran(const char *secret_path, const unsigned char *password,
                       const char *archive_path, quill_entry_handler handler, void *context) {
    if (!handler) return 1;
    return guarded(1, [&] {
        progress::Scope scope(archive_bytes(archive_path));
        List sink(handler, context);
        return read_archive(secret_path, password, archive_path,
                            destination_of(archive_path, nullptr), sink);
    });
}

int32_t fukugou_kensyou(const char *secret_path, const unsigned char *password,
                        const char *public_path, const char *archive_path, const char *out_folder,
                        int32_t keep_unverified) {
    return guarded(1, [&] {
        uint32_t y[QUILL_LIMBS];
        if (load_public_key(public_path, y) != 0) return 1;
        progress::Scope scope(archive_bytes(archive_path));
        return decrypt_verified(secret_path, password, y, archive_path,
                                destination_of(archive_path, out_folder), keep_unverified != 0);
    });
}

int32_t fukugou_saki(const char *secret_path, const unsigned char *password,
                     const char *archive_path, const char *out_folder) {
    if (!out_folder || !*out_folder) return 1;
    return guarded(1, [&] {
        progress::Scope scope(archive_bytes(archive_path));
        return restore_archive(secret_path, password, archive_path,
                               destination_of(archive_path, out_folder));
    });
}
