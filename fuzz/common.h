// Helpers shared by the fuzz targets: a private temporary folder per process,
// the fixed key pair under fuzz/keys, files written from fuzz input, the
// message-box handler that keeps the library from reaching a real dialog, and
// the decryption of one archive in a scratch folder with its oracles.
#ifndef QUILL_FUZZ_COMMON_H
#define QUILL_FUZZ_COMMON_H

#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "quillcore.h"

namespace fuzz {

namespace fs = std::filesystem;

// The key pair every target decrypts or verifies with; made once with
// kagisakusei and committed, so that the seed archives (encrypted for it)
// stay valid from one build to the next.
inline std::string key_dir() {
    return QUILL_FUZZ_KEYS;
}
inline std::string secret_key() {
    return key_dir() + "/fuzz.velh";
}
inline std::string public_key() {
    return key_dir() + "/fuzz.velk";
}

// The password block of the committed secret key.
inline const unsigned char *password() {
    static unsigned char block[160] = {};
    static const char text[] = "fuzzing-password";
    std::memcpy(block, text, sizeof text - 1);
    return block;
}

// A fresh folder of this process under the system's temporary folder, removed
// at exit; the targets never write anywhere else. Never destroyed, so the
// exit handler that removes it can still read its name.
inline const std::string &work_dir() {
    static const std::string &dir = *new std::string([] {
        // What the targets write is thrown away: no flushes to the disk,
        // which would only slow every run.
        setenv("QUILLSEAL_NO_SYNC", "1", 1);
        std::string pattern = (fs::temp_directory_path() / "quill-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(work_dir(), ec);
        });
        return pattern;
    }());
    return dir;
}

inline void write_file(const std::string &path, const uint8_t *data, size_t size) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    if (std::fclose(f) != 0) std::abort();
}

inline std::string read_all(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Restored files may be read-only and folders may have lost their write
// permission; make everything writable so the tree can go.
inline void remove_tree(const std::string &path) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path, ec);
    if (fs::exists(path)) {
        std::fprintf(stderr, "cannot remove %s\n", path.c_str());
        std::abort();
    }
}

// Every entry below a folder, recursively, as paths relative to it.
inline std::set<std::string> listing(const std::string &folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        names.insert(fs::relative(it->path(), folder).string());
    }
    return names;
}

// Answers for the library's prompts: OK boxes get OK; a name-conflict prompt
// gets yes, no or cancel in turn from a starting point the input chooses, so
// that every branch of the conflict handling is reached.
inline unsigned &prompt_turn() {
    static unsigned turn = 0;
    return turn;
}
inline int answer(void *, const char *, const char *, unsigned type) {
    if ((type & 0x0F) != QUILL_MB_YESNOCANCEL) return QUILL_IDOK;
    static const int answers[] = {QUILL_IDYES, QUILL_IDNO, QUILL_IDCANCEL};
    return answers[prompt_turn()++ % 3];
}

// Aborts, naming what it watches, when that runs longer than limit; started
// around a call, it fires while the call still hangs.
class Watchdog {
  public:
    Watchdog(const char *what, std::chrono::seconds limit)
        : thread_([this, what, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "%s ran longer than %lld s\n", what,
                               static_cast<long long>(limit.count()));
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_one();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;  // last: it starts once the rest is made
};

// The bytes of every regular file below folder except skip; links are not
// followed.
inline uint64_t regular_bytes(const std::string &folder, const std::string &skip) {
    uint64_t total = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(
             folder, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code entry_ec;
        if (it->path() == skip || it->symlink_status(entry_ec).type() != fs::file_type::regular)
            continue;
        const uintmax_t bytes = it->file_size(entry_ec);
        if (!entry_ec) total += bytes;
    }
    return total;
}

// One run of fukugouka may take a few exponentiations and a few megabytes of
// inflating, tens of milliseconds under the sanitizers; far longer is a hang.
constexpr std::chrono::seconds kDecryptLimit{5};

// Decrypts archive bytes with the fixed keys inside a fresh scratch folder
// (work_dir()/run/scratch), answering prompts from first_answer on, and
// aborts when
//   - fukugouka runs longer than kDecryptLimit;
//   - the archive (scratch/input.velm) is no longer the same bytes;
//   - the regular files in the scratch folder, the archive aside (restored
//     files, renamed and overwritten ones included), hold more bytes than
//     stated(): the sum of the size words of the archive's headers, worked
//     out by the target without the library; asked only when something was
//     restored;
//   - anything appeared outside the scratch folder.
// check, when given, sees the scratch folder and fukugouka's result before
// the scratch folder is removed.
inline void decrypt_in_scratch(
    const uint8_t *data, size_t size, unsigned first_answer,
    const std::function<uint64_t()> &stated,
    const std::function<void(const std::string &scratch, int32_t result)> &check = nullptr) {
    const std::string parent = work_dir();
    const std::string scratch = parent + "/run/scratch";
    const std::string inside = "run/scratch";
    std::error_code ec;
    fs::create_directories(scratch, ec);
    if (ec) std::abort();
    std::set<std::string> before = listing(parent);
    before.erase(inside);
    const std::string archive = scratch + "/input.velm";
    write_file(archive, data, size);

    msgbox_set(answer);
    prompt_turn() = first_answer;
    if (file_get(0, archive.c_str()) != 1) {
        std::fprintf(stderr, "file_get did not select %s\n", archive.c_str());
        std::abort();
    }
    int32_t result;
    {
        Watchdog watchdog("fukugouka", kDecryptLimit);
        result = fukugouka(secret_key().c_str(), password(), public_key().c_str());
    }

    if (!fs::is_regular_file(fs::symlink_status(archive, ec)) ||
        read_all(archive) != std::string(reinterpret_cast<const char *>(data), size)) {
        std::fprintf(stderr, "the archive being decrypted was changed\n");
        std::abort();
    }
    const uint64_t restored = regular_bytes(scratch, archive);
    if (restored != 0) {
        const uint64_t limit = stated();
        if (restored > limit) {
            std::fprintf(stderr, "restored %llu bytes, more than the headers state (%llu)\n",
                         static_cast<unsigned long long>(restored),
                         static_cast<unsigned long long>(limit));
            std::abort();
        }
    }
    if (check) check(scratch, result);

    std::set<std::string> after = listing(parent);
    for (auto it = after.begin(); it != after.end();) {
        const bool in_scratch =
            *it == inside || it->compare(0, inside.size() + 1, inside + "/") == 0;
        it = in_scratch ? after.erase(it) : std::next(it);
    }
    if (after != before) {
        for (const std::string &name : after)
            if (!before.count(name)) std::fprintf(stderr, "written outside: %s\n", name.c_str());
        std::abort();
    }
    remove_tree(scratch);
}

}  // namespace fuzz

#endif
