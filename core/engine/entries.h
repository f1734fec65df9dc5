// The decryption's reader: an archive opened under the recipient's secret
// key, and its block stream read entry after entry. Each entry's header,
// name and data are checked before anything of it reaches the sink that the
// driver gives: restoring into a folder, staging for a one-pass decryption,
// or a list of the entries.
#ifndef QUILL_ENTRIES_H
#define QUILL_ENTRIES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/pipeline.h"
#include "format/stream.h"
#include "platform/platform.h"
#include "symmetric/sha256.h"

namespace quill {

// One entry as the reader accepted it.
struct Entry {
    bool folder;
    bool compressed;
    uint64_t size;
    uint32_t name_length;
    plat::FileTimes times;  // files only
    uint32_t attributes;    // files only
    std::string rel;        // native relative path, safe to join to a folder
    bool widened;           // rel holds full-width forms of characters Windows refuses
};

// How reading an archive goes on, or how it ended.
enum class Step {
    kNext,      // on with the next entry (or the entry's data)
    kDone,      // read to its end, or stopped (at a prompt, by a list's caller)
    kFailed,    // a failure that a report has named
    kWrongKey,  // the first header is not valid under this key (or no archive)
    kDamaged,   // bytes no writer writes: cut short, garbled, an impossible
                // entry; a report has said so
};

// Where the reader hands the entries it accepted.
class EntrySink {
  public:
    virtual ~EntrySink() = default;
    // The entry passed every check that comes before its data. kNext to go
    // on (with its data, for a file), kDone to stop, kFailed after a report.
    virtual Step begin(const Entry &e) = 0;
    // The next piece of the file's data, deciphered and inflated; false after
    // a box that says why.
    virtual bool data(const unsigned char *bytes, size_t n) = 0;
    // The file's data is complete: kNext, kDone or kFailed, as begin.
    virtual Step end(const Entry &e) = 0;
};

// The archive at path opened (for reading, not shared), measured, and its
// key agreed with the secret key: the public value hashed into body when
// given, the stream's secrets in secrets. 0 ready; 1 failure.
struct OpenArchive {
    plat::File *file = nullptr;
    int64_t size = 0;  // bytes, which place the trailer: the last 192
    Secrets secrets;
    ~OpenArchive() { plat::close(file); }
};
int32_t open_archive(const std::string &path, const char *secret_path,
                     const unsigned char *password, OpenArchive *a, Sha256 *body);

// The entries of the archive at path (size bytes), read from reader into
// sink, for the destination folder (separator included; a list checks its
// entries against the archive's own folder, as decrypting it there would).
// The entries end where the trailer begins, the last 192 bytes, whose first
// block fails as a header, or at the physical end of an archive without
// trailer. kDone, kFailed, kWrongKey, or kDamaged (the entries in front of
// the damage went to the sink).
Step read_entries(BlockReader &reader, const std::string &path, const std::string &folder,
                  int64_t size, EntrySink &sink);

}  // namespace quill

#endif
