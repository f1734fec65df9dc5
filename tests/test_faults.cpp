// The drivers when the world misbehaves: archives cut or damaged anywhere, key
// files of the wrong kind or empty, and, where the platform lets a test cause
// it, a disk that fills, a folder that refuses new files and a source file
// that holds fewer bytes than its size said. Whatever happens, the call
// returns one of its documented results, removes a half-written archive and
// keeps what was restored before the fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#endif

#include "archive_files.h"
#include "files.h"
#include "quillcore.h"
#include "texts.h"

namespace {

using namespace archive_files;

// Name prompts are answered "stop".
class Faults : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        unscripted = QUILL_IDCANCEL;
    }
    // A fresh folder holding the given archive bytes as d.velm; its path.
    std::string place(const std::string &folder, const Bytes &archive) const {
        fs::create_directories(at(folder));
        const std::string path = join(at(folder), "d.velm");
        write_file(path, archive);
        return path;
    }
};

// A folder d with one file, as an archive: the public value, the folder
// entry (2 blocks), the file entry (header, times, one name block, data) and
// the trailer.
struct Sample {
    Bytes content, archive;
    size_t body_end;  // where the trailer starts
};

Sample make_sample(const std::string &dir, int32_t compress) {
    Sample s;
    s.content = text_data(300);
    fs::create_directories(join(dir, "d"));
    write_file(join(join(dir, "d"), "a.txt"), s.content);
    EXPECT_EQ(encrypt({join(dir, "d")}, compress), 0);
    s.archive = read_file(join(dir, "d.velm"));
    s.body_end = s.archive.size() - 192;
    EXPECT_EQ((s.body_end - 160) % 32, 0u);
    return s;
}

// ---- damaged archives ------------------------------------------------------

TEST_F(Faults, ArchiveCutAnywhereGivesItsResultAndKeepsEarlierEntries) {
    for (int32_t compress : {0, 1}) {
        SCOPED_TRACE(compress ? "compressed" : "stored");
        const Sample s = make_sample(at("src" + std::to_string(compress)), compress);
        // Entries end after the public value, after the folder entry, and
        // where the trailer starts; a cut there leaves a complete, shorter
        // archive without trailer.
        const std::vector<size_t> entry_ends = {160, 224, s.body_end};
        std::vector<size_t> cuts = {0, 1, 100, 159};
        for (size_t c = 160; c < s.archive.size(); c += 32) {
            cuts.push_back(c);
            cuts.push_back(c + 13);
            cuts.push_back(c + 31);
        }
        for (size_t cut : cuts) {
            SCOPED_TRACE(cut);
            Bytes part(s.archive.begin(), s.archive.begin() + std::ptrdiff_t(cut));
            const std::string folder = "cut" + std::to_string(compress) + "_" + std::to_string(cut);
            const std::string archive = place(folder, part);
            boxes.clear();
            const bool whole_block = cut >= 160 && (cut - 160) % 32 == 0;
            const bool complete = whole_block && std::find(entry_ends.begin(), entry_ends.end(),
                                                           cut) != entry_ends.end();
            EXPECT_EQ(decrypt({archive}), complete ? 0 : 1);
            // The trailer is gone or cut: always the warning, and a cut that
            // fails says so. A trailer cut short no longer begins 192 bytes
            // before the end: its first block is damage, after the file.
            ASSERT_EQ(boxes.size(), complete ? 1u : 2u);
            EXPECT_EQ(boxes[0].caption, archive);
            EXPECT_EQ(boxes[0].type, unsigned(QUILL_MB_OK));
            const std::string lost =
                std::string(kEntriesLost) + "\n" + "d" + std::string(1, kSep) + "a.txt";
            if (!complete)
                expect_box(boxes[1], archive,
                           cut >= s.body_end + 32 ? lost.c_str() : kArchiveDamaged,
                           QUILL_MB_ICONEXCLAMATION);
            // A file cut short is not left behind, under its name or another.
            const std::string out = at(folder);
            EXPECT_EQ(exists(join(out, "d")), cut >= 224);
            EXPECT_EQ(exists(join(join(out, "d"), "a.txt")), cut >= s.body_end);
            if (cut >= s.body_end) {
                EXPECT_EQ(read_file(join(join(out, "d"), "a.txt")), s.content);
            }
            expect_no_temporaries(out);
        }
    }
}

TEST_F(Faults, ChangedByteAnywhereNeverPassesUnnoticed) {
    for (int32_t compress : {0, 1}) {
        SCOPED_TRACE(compress ? "compressed" : "stored");
        const Sample s = make_sample(at("src" + std::to_string(compress)), compress);
        for (size_t offset = 3; offset < s.archive.size(); offset += 23) {
            SCOPED_TRACE(offset);
            Bytes changed = s.archive;
            changed[offset] ^= 0x5A;
            const std::string folder =
                "chg" + std::to_string(compress) + "_" + std::to_string(offset);
            const std::string archive = place(folder, changed);
            boxes.clear();
            const int32_t result = decrypt({archive});
            // The signature no longer matches: the warning comes first.
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0].caption, archive);
            EXPECT_EQ(boxes[0].type, unsigned(QUILL_MB_OK));
            if (offset < 160) {
                // Another public value: another key, the first header fails.
                EXPECT_EQ(result, 2);
                EXPECT_EQ(listing(at(folder)), std::vector<std::string>{"d.velm"});
            } else if (offset >= s.body_end) {
                // Only the trailer changed: the contents come back whole.
                EXPECT_EQ(result, 0);
                EXPECT_EQ(read_file(join(join(at(folder), "d"), "a.txt")), s.content);
            } else {
                EXPECT_TRUE(result == 0 || result == 1 || result == 2) << result;
            }
        }
        // Whatever the garbled names, nothing was written beside the case
        // folders, nor above them.
        for (const auto &e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name.rfind("src", 0) == 0 || name.rfind("chg", 0) == 0) << name;
        }
        for (const auto &e : fs::directory_iterator(root)) {
            const std::string name = e.path().filename().string();
            EXPECT_TRUE(name == "keys" || e.path() == fs::path(dir)) << name;
        }
    }
}

// A flipped bit in the header of the third of three files: the readers
// restore or list the two in front of it and fail, saying after which entry
// nothing could be restored. Read once, the archive does not verify: nothing
// is left, unless kept regardless of the signature.
TEST_F(Faults, HeaderGarbledMidwayFailsOnEveryPath) {
    for (const char *n : {"a", "b", "c"}) write_file(at(std::string(n) + ".txt"), text_data(100));
    ASSERT_EQ(encrypt({at("a.txt"), at("b.txt"), at("c.txt")}, 0), 0);
    Bytes changed = read_file(at("a.txt.velm"));
    changed[160 + 2 * 7 * 32 + 5] ^= 0x10;  // each entry: 3 blocks and 4 of data
    const std::string archive = place("in", changed);
    const std::vector<std::string> two = {"a.txt", "b.txt", "d.velm"};
    EXPECT_EQ(decrypt({archive}), 1);
    ASSERT_EQ(boxes.size(), 2u);
    expect_box(boxes[1], archive, (std::string(kEntriesLost) + "\nb.txt").c_str(),
               QUILL_MB_ICONEXCLAMATION);
    EXPECT_EQ(listing(at("in")), two);
    int listed = 0;
    const auto count = [](void *n, const quill_entry *) -> int32_t {
        ++*static_cast<int *>(n);
        return 0;
    };
    EXPECT_EQ(naiyou_ichiran(bob.secret.c_str(), password, archive.c_str(), count, &listed), 1);
    EXPECT_EQ(listed, 2);
    const auto once = [&](int32_t keep) {
        return fukugou_kensyou(bob.secret.c_str(), password, alice.pub.c_str(), archive.c_str(),
                               nullptr, keep);
    };
    fs::remove(join(at("in"), "a.txt"));
    fs::remove(join(at("in"), "b.txt"));
    EXPECT_EQ(once(0), -1);
    EXPECT_EQ(listing(at("in")), std::vector<std::string>{"d.velm"});
    EXPECT_EQ(once(1), 1);
    EXPECT_EQ(listing(at("in")), two);
}

// ---- key files in the wrong place, empty or zeroed ----------------------------

TEST_F(Faults, KeyFilesOfTheWrongKindOrWithoutAKeyAreRefused) {
    write_file(at("a.txt"), text_data(100));
    const std::string empty = at("empty.velk");
    write_file(empty, {});
    // Base64 of 160 zero bytes: decodes, but to the element 0.
    const std::string zeros = at("zeros.velk");
    write_text(zeros, std::string(212, 'A') + "AA==\r\n");
    // Every power of 0 is 0: an archive made for it would open for anyone.
    for (const std::string &pub : {empty, zeros, alice.secret}) {
        SCOPED_TRACE(pub);
        select({at("a.txt")});
        EXPECT_EQ(angouka(alice.secret.c_str(), password, pub.c_str(), 0), 1);
        EXPECT_FALSE(exists(at("a.txt.velm")));
    }

    ASSERT_EQ(encrypt({at("a.txt")}, 0), 0);
    EXPECT_EQ(syomei_kakunin(at("a.txt.velm").c_str(), empty.c_str()), 1);
    EXPECT_EQ(syomei_kakunin(at("a.txt.velm").c_str(), zeros.c_str()), 1);
    fs::create_directories(at("in"));
    fs::rename(at("a.txt.velm"), join(at("in"), "a.txt.velm"));
    const std::string archive = join(at("in"), "a.txt.velm");
    // A public key, or an empty file, where the secret key is expected
    // decodes to a wrong exponent: the archive is not for this key.
    for (const std::string &sec : {bob.pub, at("empty.velk")}) {
        SCOPED_TRACE(sec);
        select({archive});
        EXPECT_EQ(fukugouka(sec.c_str(), password, alice.pub.c_str()), 2);
        EXPECT_EQ(listing(at("in")), std::vector<std::string>{"a.txt.velm"});
    }
    // The sender's secret key where her public key is expected: the check
    // cannot be made, so it warns, and the archive still opens.
    boxes.clear();
    select({archive});
    EXPECT_EQ(fukugouka(bob.secret.c_str(), password, alice.secret.c_str()), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, archive);
    EXPECT_EQ(read_file(join(at("in"), "a.txt")), text_data(100));
}

// A failure names the file and says why, in the user's words: a
// destination that is not there, and on Windows a source that another
// program holds without sharing.
TEST_F(Faults, FailuresNameTheFileAndTheCause) {
    write_file(at("a.txt"), text_data(100));
    ASSERT_EQ(encrypt({at("a.txt")}, 0), 0);
    const std::string missing = at("missing");
    boxes.clear();
    EXPECT_EQ(fukugou_saki(bob.secret.c_str(), password, at("a.txt.velm").c_str(), missing.c_str()),
              1);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], join(missing, "a.txt"),
               (std::string(kCreateFailed) + "\n" + kCauseMissing).c_str(),
               QUILL_MB_ICONEXCLAMATION);
#ifdef _WIN32
    HANDLE held = CreateFileA(at("a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    boxes.clear();
    answers = {QUILL_IDYES};
    EXPECT_EQ(encrypt({at("a.txt")}, 0), 1);
    CloseHandle(held);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(
        boxes[0], at("a.txt"),
        (std::string(kCannotEncryptItems) + "\na.txt: " + kItemUnreadable + "。" + kCauseInUse)
            .c_str(),
        QUILL_MB_ICONEXCLAMATION);
#endif
}

#ifndef _WIN32

// ---- the file system refuses ---------------------------------------------------

// Runs body in a child whose files may grow to limit bytes at most, with
// SIGXFSZ ignored so that a write beyond it fails instead of killing it;
// the child's exit code is body's result.
int32_t with_file_size_limit(rlim_t limit, int32_t (*body)()) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
        _exit(int(body()));
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    if (!WIFEXITED(status)) return -2;
    return WEXITSTATUS(status);
}

std::string fault_source, fault_archive, fault_folder;
int32_t fault_compress;

// Whether the archive is new or replaces an old one ("上書き"), a disk that
// fills leaves the old archive as it was and nothing else.
TEST_F(Faults, DiskFillingDuringEncryptionLeavesTheOldArchive) {
    const Bytes data = random_bytes(1 << 20, 5), old = bytes_of("the old archive");
    fault_source = at("big.bin");
    write_file(fault_source, data);
    for (int32_t compress : {0, 1}) {
        for (const bool replacing : {false, true}) {
            SCOPED_TRACE(std::to_string(compress) + (replacing ? " replacing" : " new"));
            fault_compress = compress;
            if (replacing) write_file(at("big.bin.velm"), old);
            answers = {QUILL_IDYES};
            EXPECT_EQ(with_file_size_limit(
                          256 * 1024,
                          +[]() {
                              select({fault_source});
                              return angouka(alice.secret.c_str(), password, bob.pub.c_str(),
                                             fault_compress);
                          }),
                      1);
            EXPECT_EQ(read_file(fault_source), data);
            if (replacing) {
                EXPECT_EQ(read_file(at("big.bin.velm")), old);
                EXPECT_EQ(listing(dir), (std::vector<std::string>{"big.bin", "big.bin.velm"}));
                fs::remove(at("big.bin.velm"));
            } else {
                EXPECT_EQ(listing(dir), std::vector<std::string>{"big.bin"});
            }
        }
    }
}

// A disk that fills while a file is restored: the files before it stay,
// and nothing of the one that did not fit, nor of an old file it was to
// replace, is lost or left half written. Read once, where the writer closes
// the staged files behind the reader, nothing at all is put in place.
TEST_F(Faults, DiskFillingDuringDecryptionKeepsEarlierFilesAndOldOnes) {
    const Bytes small = text_data(5000), big = random_bytes(1 << 20, 6);
    write_file(at("a.txt"), small);
    write_file(at("big.bin"), big);
    for (int32_t compress : {0, 1}) {
        SCOPED_TRACE(compress);
        const std::string in = at("in" + std::to_string(compress));
        fs::create_directories(in);
        ASSERT_EQ(encrypt({at("a.txt"), at("big.bin")}, compress), 0);
        fault_archive = join(in, "a.txt.velm");
        fs::rename(at("a.txt.velm"), fault_archive);
        write_file(join(in, "big.bin"), bytes_of("old big"));
        answers = {QUILL_IDYES};
        EXPECT_EQ(with_file_size_limit(
                      256 * 1024, +[]() { return decrypt({fault_archive}); }),
                  1);
        EXPECT_EQ(read_file(join(in, "a.txt")), small);
        EXPECT_EQ(read_file(join(in, "big.bin")), bytes_of("old big"));
        EXPECT_EQ(listing(in), (std::vector<std::string>{"a.txt", "a.txt.velm", "big.bin"}));

        fault_folder = at("once" + std::to_string(compress));
        fs::create_directories(fault_folder);
        EXPECT_EQ(with_file_size_limit(
                      256 * 1024,
                      +[]() {
                          return fukugou_kensyou(bob.secret.c_str(), password, alice.pub.c_str(),
                                                 fault_archive.c_str(), fault_folder.c_str(), 0);
                      }),
                  1);
        EXPECT_TRUE(listing(fault_folder).empty());
    }
}

TEST_F(Faults, FolderWithoutWritePermissionFailsBothWays) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string ro = at("ro");
    fs::create_directories(ro);
    write_file(join(ro, "a.txt"), text_data(100));
    // An archive cannot be created beside the source.
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(encrypt({join(ro, "a.txt")}, 0), 1);
    EXPECT_EQ(listing(ro), std::vector<std::string>{"a.txt"});
    // Nor a restored file beside the archive.
    fs::permissions(ro, fs::perms::owner_all);
    ASSERT_EQ(encrypt({join(ro, "a.txt")}, 0), 0);
    fs::remove(join(ro, "a.txt"));
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    boxes.clear();
    EXPECT_EQ(decrypt({join(ro, "a.txt.velm")}), 1);
    EXPECT_EQ(listing(ro), std::vector<std::string>{"a.txt.velm"});
    EXPECT_FALSE(boxes.empty());
}

// A source that holds fewer bytes than its size: a kernel attribute file
// states a size of a page and reads as a short text, the same as a file
// that shrinks between the size query and the read. Either way the header
// would promise bytes that are not there.
TEST_F(Faults, SourceShorterThanItsSizeFailsStoredAndCompressed) {
    const char *const source = "/sys/kernel/mm/transparent_hugepage/enabled";
    struct stat st;
    if (stat(source, &st) != 0) GTEST_SKIP() << source << " is not there";
    const Bytes actual = read_file(source);
    if (actual.empty() || uint64_t(st.st_size) <= actual.size())
        GTEST_SKIP() << source << " is not shorter than its size";
    fs::create_symlink(source, at("short"));

    for (int32_t compress : {0, 1}) {
        EXPECT_EQ(encrypt({at("short")}, compress), 1);
        EXPECT_FALSE(exists(at("short.velm")));
    }
}

#endif  // !_WIN32

}  // namespace
