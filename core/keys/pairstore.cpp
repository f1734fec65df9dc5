// Putting a new key pair in place, and settling one a stopped run left
// unfinished.
#include "keys/pairstore.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cleanup.h"
#include "keys/keyfile.h"
#include "messages.h"
#include "paths.h"
#include "platform/platform.h"
#include "quillcore.h"
#include "report.h"

namespace quill {

namespace {

constexpr char kPendingEnd[] = ".new";

// The folder of path, its separator included; the working folder for a
// bare name.
std::string folder_of(const std::string &path) {
    const std::string folder = folder_part(path);
    return folder.empty() ? std::string(".") + plat::kSep : folder;
}

// Eight hexadecimal digits of the SHA-256 of a file's name: which file a
// pending name belongs to, in a name no longer than a short key file's, so
// that a key path that fits the path limit leaves room for its pending file.
std::string tag_of(const std::string &path) {
    const std::string name = path.substr(name_start(path));
    uint32_t h[QUILL_SHA_WORDS];
    SHA256_array(reinterpret_cast<const unsigned char *>(name.data()), uint32_t(name.size()), h);
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", unsigned(h[0]));
    return tag;
}

// Where path's new content waits: ".quillseal-<process>-<tag>.new" beside
// it.
std::string pending_name(const std::string &path, uint32_t process) {
    return cleanup::own_name(folder_part(path), process, tag_of(path) + kPendingEnd);
}

// A pending file left by a run that no longer goes on: its process ended,
// or is this one, which settles what it left before it begins anything.
bool abandoned(uint32_t process) {
    return process == plat::process_id() || !plat::process_alive(process);
}

// The Base64 text of data (zero-terminated by the zeroed area).
struct KeyText {
    char text[kSecretReadBytes + 1] = {};
    KeyText(const unsigned char *data, size_t bytes) { encode64(data, int32_t(bytes), text); }
    ~KeyText() { wipe(text, sizeof text); }
};

// One pending file, private, written, on stable storage with its name. A
// box captioned shown_as says why it could not be.
bool write_pending(const std::string &pending, const std::string &shown_as, const KeyText &t,
                   bool everyone_reads, cleanup::Item **listed) {
    *listed = cleanup::add_temp(pending);
    plat::File *f = plat::create_private(pending.c_str());
    if (!f) {
        fail(shown_as.c_str(), msg::kCreateFailed, plat::last_failure());
        return false;
    }
    // A public key is for everyone to read, as a new file of the user is.
    bool ok = plat::write(f, t.text, std::strlen(t.text)) &&
              (!everyone_reads || plat::make_public(f, 0)) && plat::flush_file(f, plat::kFlushNow);
    plat::Failure why = plat::last_failure();
    if (!plat::close(f) && ok) {
        ok = false;
        why = plat::last_failure();
    }
    if (ok && !plat::flush_folder(folder_of(pending).c_str())) {
        ok = false;
        why = plat::last_failure();
    }
    if (!ok) fail(shown_as.c_str(), msg::kWriteFailed, why);
    return ok;
}

// Removes what a pair's creation left; the secret key's pending file first,
// so that no moment leaves it alone.
void remove_pending(const std::string &secret_pending, const std::string &public_pending) {
    plat::remove_file(secret_pending.c_str());
    plat::remove_file(public_pending.c_str());
}

// A pending secret key that is whole: its full text, which loads.
bool whole_secret(const std::string &path) {
    unsigned char record[kRecordBytes];
    const bool whole = plat::file_size(path.c_str()) == int64_t(kSecretTextBytes) &&
                       load_secret_record(path.c_str(), record) == 0;
    wipe(record, sizeof record);
    return whole;
}

// The file at pending given the name path; its folder flushed. A box names
// the cause when it fails.
bool commit(const std::string &pending, const std::string &path) {
    if (plat::rename_replace(pending.c_str(), path.c_str()) &&
        plat::flush_folder(folder_of(path).c_str()))
        return true;
    fail(path.c_str(), msg::kPlaceFailed, plat::last_failure());
    return false;
}

}  // namespace

int store_key_pair(const char *secret_path, const unsigned char *record, const char *public_path,
                   const unsigned char *image) {
    const uint32_t me = plat::process_id();
    const std::string secret_pending = pending_name(secret_path, me);
    const std::string public_pending = pending_name(public_path, me);
    if (secret_pending.size() >= plat::kPathMax || public_pending.size() >= plat::kPathMax) {
        fail(secret_path, msg::kPathTooLong);
        return 1;
    }
    // A folder, device or FIFO at either name stops the pair before anything
    // is written.
    for (const char *path : {secret_path, public_path}) {
        if (!plat::replaceable(path)) {
            fail(path, msg::kPlaceFailed, plat::last_failure());
            return 1;
        }
    }
    cleanup::Item *public_listed = nullptr, *secret_listed = nullptr;
    bool written;
    {
        const KeyText public_text(image, kNumBytes), secret_text(record, kRecordBytes);
        written = write_pending(public_pending, public_path, public_text, true, &public_listed) &&
                  write_pending(secret_pending, secret_path, secret_text, false, &secret_listed);
    }
    if (!written) {
        if (secret_listed) plat::remove_file(secret_pending.c_str());
        plat::remove_file(public_pending.c_str());
        cleanup::drop(secret_listed);
        cleanup::drop(public_listed);
        return 1;
    }
    // From here the pending files outlive an interruption, for the repair:
    // the public key's leaves the cleanup's list first, so that an
    // interruption between the two never leaves the secret key's alone.
    cleanup::drop(public_listed);
    cleanup::drop(secret_listed);
    if (!commit(public_pending, public_path)) {
        remove_pending(secret_pending, public_pending);
        return 1;
    }
    // Should this fail, the repair completes the pair later.
    return commit(secret_pending, secret_path) ? 0 : 1;
}

Repair repair_key_pair(const char *secret_path, const char *public_path) {
    Repair done = kRepairNone;
    for (const bool secret_side : {true, false}) {
        const std::string &path = secret_side ? secret_path : public_path;
        // The rest of a pending name of this side's file, after its process.
        const std::string rest = tag_of(path) + kPendingEnd;
        const std::string folder = folder_of(path);
        plat::DirSearch *search = plat::dir_open(folder.c_str());
        if (!search) continue;
        plat::DirEntry e;
        while (plat::dir_next(search, &e)) {
            uint32_t process;
            const char *found = cleanup::own_rest(e.name, &process);
            if (e.kind != plat::kEntryFile || !found || rest != found || !abandoned(process))
                continue;
            const std::string secret_pending = pending_name(secret_path, process);
            const std::string public_pending = pending_name(public_path, process);
            Repair now = kRepairUndone;
            if (!secret_side) {
                // The public key's alone: the secret key's was never whole.
                if (plat::exists(secret_pending.c_str())) continue;
                plat::remove_file(public_pending.c_str());
            } else if (plat::exists(public_pending.c_str()) || !whole_secret(secret_pending)) {
                remove_pending(secret_pending, public_pending);
            } else {
                now = commit(secret_pending, secret_path) ? kRepairCompleted : kRepairFailed;
            }
            if (done != kRepairFailed) done = now;
        }
        plat::dir_close(search);
    }
    if (done == kRepairCompleted) note(secret_path, msg::kKeyPairCompleted);
    if (done == kRepairUndone) note(secret_path, msg::kKeyPairUndone);
    return done;
}

}  // namespace quill
