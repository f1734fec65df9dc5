// The archive drivers end to end, through the exported functions alone: what
// angouka writes, fukugouka restores byte for byte with its last write time
// and its read-only attribute; the archive's size follows from its contents;
// wrong keys, damaged archives, name conflicts and hostile entry names are met
// the way a caller relies on.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "archive_files.h"
#include "crafter.h"
#include "files.h"
#include "quillcore.h"
#include "texts.h"

namespace {

using namespace archive_files;

// The longest path a path buffer of the platform holds.
#ifdef _WIN32
constexpr size_t kPathMax = 260;
#else
constexpr size_t kPathMax = 4096;
#endif

class ArchiveTest : public DriverTest {
  protected:
    void mkdir(const std::string &rel) const { fs::create_directories(at(rel)); }
    void move(const std::string &from, const std::string &to) const {
        fs::rename(at(from), at(to));
    }
};

// ---- a whole tree, stored and compressed -------------------------------------

struct TreeItem {
    std::string rel;
    Bytes data;
    uint32_t name_bytes;  // the entry name's length in code page 932, NUL included
    bool folder, read_only, japanese;
};

// Sizes around block and chunk boundaries, names of one and of two name
// blocks, a Japanese name with 0x5C trail bytes, an empty file and folder.
std::vector<TreeItem> make_tree(const std::string &base) {
    const std::string t = std::string("tree") + kSep;
    std::vector<TreeItem> items;
    for (const std::string &f :
         {std::string("tree"), t + "empty", t + "nested", t + "nested" + kSep + "deeper"}) {
        items.push_back({f, {}, uint32_t(f.size() + 1), true, false, false});
        fs::create_directories(join(base, f));
    }
    auto file = [&](const std::string &rel, Bytes data) {
        items.push_back({rel, std::move(data), uint32_t(rel.size() + 1), false, false, false});
    };
    file(t + "f0.bin", {});
    uint32_t seed = 1;
    for (size_t n : {31, 32, 33, 4095, 4096})
        file(t + "f" + std::to_string(n) + ".bin", random_bytes(n, seed++));
    file(t + "nested" + kSep + "f4097.bin", random_bytes(4097, seed++));
    file(t + "nested" + kSep + "deeper" + kSep + "big.txt", text_data(300000));
    file(t + "noise.bin", random_bytes(70000, seed++));
    file(t + std::string(26, 'n'), bytes_of("one name block"));   // 31 bytes and the NUL
    file(t + std::string(27, 'm'), bytes_of("two name blocks"));  // 32 bytes and the NUL
    file(t + kPhotoTable, bytes_of("photo"));
    items.back().name_bytes = 5 + 10 + 1;
    items.back().japanese = true;
    file(t + "readonly.txt", bytes_of("keep me"));
    items.back().read_only = true;

    const auto when = std::chrono::time_point_cast<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(50));
    for (const TreeItem &it : items) {
        if (it.folder) continue;
        const std::string path = join(base, it.rel);
        write_file(path, it.data);
        if (it.japanese) continue;
        fs::last_write_time(path, fs::file_time_type(when));
        if (it.read_only)
            fs::permissions(
                path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
    }
    return items;
}

uint64_t stored_size(const std::vector<TreeItem> &items) {
    uint64_t blocks = 0;
    for (const TreeItem &it : items)
        blocks += (it.folder ? 1 : 2) + (it.name_bytes + 31) / 32 + (it.data.size() + 31) / 32;
    return 160 + 32 * blocks + 192;
}

void expect_tree(const std::vector<TreeItem> &items, const std::string &src,
                 const std::string &out) {
    for (const TreeItem &it : items) {
        const std::string a = join(src, it.rel), b = join(out, it.rel);
        if (it.folder) {
            EXPECT_TRUE(fs::is_directory(b)) << b;
            continue;
        }
        EXPECT_TRUE(read_file(b) == it.data) << b;
        if (it.japanese) continue;
        EXPECT_TRUE(fs::last_write_time(a) == fs::last_write_time(b)) << b;
        const bool writable =
            (fs::status(b).permissions() & fs::perms::owner_write) != fs::perms::none;
        EXPECT_EQ(writable, !it.read_only) << b;
    }
}

TEST_F(ArchiveTest, TreeComesBackWholeStoredAndCompressed) {
    mkdir("src");
    const std::vector<TreeItem> items = make_tree(at("src"));
    const std::string archive = at("src") + kSep + "tree.velm";
    uint64_t stored = 0;
    for (int32_t compress : {0, 1}) {
        SCOPED_TRACE(compress);
        ASSERT_EQ(encrypt({at("src") + kSep + "tree"}, compress), 0);
        EXPECT_EQ(syomei_kakunin(archive.c_str(), alice.pub.c_str()), 0);
        EXPECT_EQ(syomei_kakunin(archive.c_str(), bob.pub.c_str()), -1);
        const uint64_t size = fs::file_size(archive);
        if (compress == 0)
            EXPECT_EQ(size, stored = stored_size(items));
        else
            EXPECT_LT(size, stored);
        const std::string out = compress ? "packed" : "stored";
        mkdir(out);
        move(std::string("src") + kSep + "tree.velm", out + kSep + "tree.velm");
        ASSERT_EQ(decrypt({at(out) + kSep + "tree.velm"}), 0);
        expect_tree(items, at("src"), at(out));

        // The list shows the entries decryption writes, in archive order
        // (folders first), and writes nothing; a folder elsewhere receives
        // the same tree.
        const std::string moved = at(out) + kSep + "tree.velm";
        std::vector<std::string> listed;
        const auto collect = [](void *ctx, const quill_entry *e) -> int32_t {
            static_cast<std::vector<std::string> *>(ctx)->push_back(
                std::string(e->name) + (e->folder ? "/" : " " + std::to_string(e->size)));
            return 0;
        };
        ASSERT_EQ(naiyou_ichiran(bob.secret.c_str(), password, moved.c_str(), collect, &listed), 0);
        std::vector<std::string> expected;
        for (const TreeItem &it : items)
            expected.push_back(it.rel + (it.folder ? "/" : " " + std::to_string(it.data.size())));
        std::sort(listed.begin(), listed.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listed, expected);
        mkdir(out + "-into");
        ASSERT_EQ(
            fukugou_saki(bob.secret.c_str(), password, moved.c_str(), at(out + "-into").c_str()),
            0);
        expect_tree(items, at("src"), at(out + "-into"));
    }
    EXPECT_TRUE(boxes.empty());
}

// Read once, an archive's entries reach their place only after its
// signature verified: under the wrong sender's key nothing is left behind,
// not even a temporary file, unless the caller keeps what did not verify.
TEST_F(ArchiveTest, OnePassDecryptionPlacesNothingThatDidNotVerify) {
    mkdir("src");
    const std::vector<TreeItem> items = make_tree(at("src"));
    ASSERT_EQ(encrypt({at("src") + kSep + "tree"}, 1), 0);
    mkdir("in");
    move(std::string("src") + kSep + "tree.velm", std::string("in") + kSep + "tree.velm");
    const std::string archive = at("in") + kSep + "tree.velm";
    const auto once = [&](const User &sender, const char *into, int32_t keep) {
        return fukugou_kensyou(bob.secret.c_str(), password, sender.pub.c_str(), archive.c_str(),
                               into, keep);
    };
    EXPECT_EQ(once(bob, nullptr, 0), -1);
    EXPECT_EQ(listing(at("in")), std::vector<std::string>{"tree.velm"});
    EXPECT_EQ(once(alice, nullptr, 0), 0);
    expect_tree(items, at("src"), at("in"));
    mkdir("kept");
    EXPECT_EQ(once(bob, at("kept").c_str(), 1), -1);
    expect_tree(items, at("src"), at("kept"));
    // A second time every file meets the prompt, now when it is put in place.
    const size_t files = size_t(
        std::count_if(items.begin(), items.end(), [](const TreeItem &it) { return !it.folder; }));
    answers.assign(files, QUILL_IDNO);
    EXPECT_EQ(once(alice, at("kept").c_str(), 0), 0);
    EXPECT_TRUE(exists(at("kept") + kSep + "tree" + kSep + "f0(1).bin"));
    for (const std::string &name : listing(at("kept")))
        EXPECT_EQ(name.find(".quillseal-"), std::string::npos) << name;
}

// A caller's progress callback hears of every 64 KiB at the latest and of
// the end of each call, with done equal to total there.
TEST_F(ArchiveTest, ProgressIsReportedEvery64KiBAndAtTheEnd) {
    struct Report {
        uint64_t done, total;
    };
    std::vector<Report> reports;
    progress_set(
        [](void *ctx, uint64_t done, uint64_t total) {
            static_cast<std::vector<Report> *>(ctx)->push_back({done, total});
        },
        &reports);
    write_file(at("big.bin"), random_bytes(1 << 20, 7));
    const auto check = [&](size_t at_least) {
        ASSERT_GE(reports.size(), at_least);
        for (size_t i = 1; i < reports.size(); i++) {
            EXPECT_GE(reports[i].done, reports[i - 1].done);
            if (i + 1 < reports.size()) {
                EXPECT_GE(reports[i].done - reports[i - 1].done, 65536u);
            }
        }
        EXPECT_EQ(reports.back().done, reports.back().total);
        reports.clear();
    };
    ASSERT_EQ(encrypt({at("big.bin")}, 0), 0);
    check(4);  // 1 MiB read in pieces of at most a quarter of it
    mkdir("in");
    move("big.bin.velm", std::string("in") + kSep + "big.bin.velm");
    ASSERT_EQ(decrypt({at("in") + kSep + "big.bin.velm"}), 0);
    check(16);  // the archive read for its signature, then to decipher it
    progress_set(nullptr, nullptr);
    ASSERT_EQ(syomei_kakunin((at("in") + kSep + "big.bin.velm").c_str(), alice.pub.c_str()), 0);
    EXPECT_TRUE(reports.empty());
}

TEST_F(ArchiveTest, SmallestArchivesAndANewExponentEachTime) {
    mkdir("empty");
    ASSERT_EQ(encrypt({at("empty")}, 0), 0);
    // Public value, one header and one name block, trailer.
    EXPECT_EQ(fs::file_size(at("empty.velm")), 160u + 64 + 192);
    mkdir("out");
    move("empty.velm", std::string("out") + kSep + "empty.velm");
    EXPECT_EQ(decrypt({at("out") + kSep + "empty.velm"}), 0);
    EXPECT_TRUE(fs::is_directory(at("out") + kSep + "empty"));

    // An empty file compressed still has one block of zlib stream.
    write_file(at("e.txt"), {});
    ASSERT_EQ(encrypt({at("e.txt")}, 1), 0);
    EXPECT_EQ(fs::file_size(at("e.txt.velm")), 160u + 4 * 32 + 192);
    move("e.txt.velm", "first.velm");
    ASSERT_EQ(encrypt({at("e.txt")}, 1), 0);
    const Bytes first = read_file(at("first.velm")), second = read_file(at("e.txt.velm"));
    ASSERT_EQ(first.size(), second.size());
    EXPECT_FALSE(std::equal(first.begin(), first.begin() + 160, second.begin()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ArchiveTest, ArchiveMadeForAnotherKeyEndsTheCallWithTwo) {
    mkdir("in");
    write_file(at("a.txt"), bytes_of("for alice"));
    write_file(at("b.txt"), bytes_of("for bob"));
    ASSERT_EQ(encrypt({at("a.txt")}, 0, alice), 0);
    ASSERT_EQ(encrypt({at("b.txt")}, 0, bob), 0);
    move("a.txt.velm", std::string("in") + kSep + "a.txt.velm");
    move("b.txt.velm", std::string("in") + kSep + "b.txt.velm");
    EXPECT_EQ(decrypt({at("in") + kSep + "a.txt.velm", at("in") + kSep + "b.txt.velm"}), 2);
    EXPECT_EQ(listing(at("in")), (std::vector<std::string>{"a.txt.velm", "b.txt.velm"}));
    EXPECT_TRUE(boxes.empty());  // both signatures are alice's and valid
}

TEST_F(ArchiveTest, KeyFileFailuresAndAnArchiveWithoutTrailer) {
    write_file(at("a.txt"), bytes_of("text"));
    select({at("a.txt")});
    EXPECT_EQ(angouka(alice.secret.c_str(), password, at("missing.velk").c_str(), 0), 1);
    EXPECT_FALSE(exists(at("a.txt.velm")));
    // Signing fails: the archive stays without its trailer and still opens,
    // read to its physical end.
    EXPECT_EQ(angouka(at("missing.velh").c_str(), password, bob.pub.c_str(), 0), 2);
    mkdir("in");
    const std::string archive = at("in") + kSep + "a.txt.velm";
    move("a.txt.velm", std::string("in") + kSep + "a.txt.velm");
    EXPECT_EQ(decrypt({archive}), 0);
    EXPECT_EQ(read_file(at("in") + kSep + "a.txt"), bytes_of("text"));
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], archive, kSignatureBad, QUILL_MB_OK);
    select({archive});
    EXPECT_EQ(fukugouka(at("missing.velh").c_str(), password, alice.pub.c_str()), 1);
}

TEST_F(ArchiveTest, ConflictPromptOverwritesRenamesOrStopsOneArchive) {
    mkdir("in");
    std::vector<std::string> items;
    for (const char *n : {"a", "b", "c", "d", "e"}) {
        write_file(at(std::string(n) + ".txt"), bytes_of(std::string("new ") + n));
        if (*n != 'e') items.push_back(at(std::string(n) + ".txt"));
    }
    ASSERT_EQ(encrypt(items, 1), 0);
    ASSERT_EQ(encrypt({at("e.txt")}, 0), 0);
    const std::string in = at("in") + kSep;
    move("a.txt.velm", std::string("in") + kSep + "a.txt.velm");
    move("e.txt.velm", std::string("in") + kSep + "e.txt.velm");
    for (const char *n : {"a", "b", "c", "d"})
        write_file(in + n + ".txt", bytes_of(std::string("old ") + n));
    fs::permissions(in + "a.txt", fs::perms::owner_write, fs::perm_options::remove);

    answers = {QUILL_IDYES, QUILL_IDNO, QUILL_IDCANCEL};
    // Stopping ends the first archive with success; the second still runs.
    EXPECT_EQ(decrypt({in + "a.txt.velm", in + "e.txt.velm"}), 0);
    ASSERT_EQ(boxes.size(), 3u);
    expect_box(boxes[0], in + "a.txt", kExistsReadOnly, QUILL_MB_YESNOCANCEL);
    expect_box(boxes[1], in + "b.txt", kExists, QUILL_MB_YESNOCANCEL);
    expect_box(boxes[2], in + "c.txt", kExists, QUILL_MB_YESNOCANCEL);
    EXPECT_EQ(read_file(in + "a.txt"), bytes_of("new a"));
    EXPECT_EQ(read_file(in + "b.txt"), bytes_of("old b"));
    EXPECT_EQ(read_file(in + "b(1).txt"), bytes_of("new b"));
    EXPECT_EQ(read_file(in + "c.txt"), bytes_of("old c"));
    EXPECT_EQ(read_file(in + "d.txt"), bytes_of("old d"));
    EXPECT_EQ(read_file(in + "e.txt"), bytes_of("new e"));
#ifdef _WIN32
    // A file written over keeps the attributes of the one it replaced.
    write_file(in + "e.txt", bytes_of("old e"));
    SetFileAttributesA((in + "e.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    answers = {QUILL_IDYES};
    EXPECT_EQ(decrypt({in + "e.txt.velm"}), 0);
    EXPECT_EQ(read_file(in + "e.txt"), bytes_of("new e"));
    EXPECT_NE(GetFileAttributesA((in + "e.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
#endif

    // The archive's own name: stopping writes nothing and is no failure.
    write_file(at("e.txt.velm"), bytes_of("not an archive"));
    answers = {QUILL_IDCANCEL};
    EXPECT_EQ(encrypt({at("e.txt")}, 0), 0);
    EXPECT_EQ(read_file(at("e.txt.velm")), bytes_of("not an archive"));
    EXPECT_FALSE(exists(at("e.txt(1).velm")));
    // An old file under the archive's name that is itself selected is read
    // as it was: the new archive replaces it only once complete.
    answers = {QUILL_IDYES};
    boxes.clear();
    EXPECT_EQ(encrypt({at("e.txt"), at("e.txt.velm")}, 1), 0);
    EXPECT_EQ(boxes.size(), 1u);
    mkdir("in2");
    move("e.txt.velm", std::string("in2") + kSep + "e2.velm");
    EXPECT_EQ(decrypt({at("in2") + kSep + "e2.velm"}), 0);
    EXPECT_EQ(read_file(at("in2") + kSep + "e.txt.velm"), bytes_of("not an archive"));
    expect_no_temporaries(dir);
}

TEST_F(ArchiveTest, ArchiveNamedLikeItsContentIsLeftAlone) {
    mkdir("in");
    write_file(at("x.txt"), bytes_of("content"));
    ASSERT_EQ(encrypt({at("x.txt")}, 0), 0);
    move("x.txt.velm", std::string("in") + kSep + "x.txt");
    const std::string archive = at("in") + kSep + "x.txt";
    const Bytes before = read_file(archive);
    EXPECT_EQ(decrypt({archive}), 1);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], kCannotDecrypt, kSameName, QUILL_MB_ICONEXCLAMATION);
    EXPECT_EQ(read_file(archive), before);
    EXPECT_EQ(listing(at("in")), std::vector<std::string>{"x.txt"});
}

TEST_F(ArchiveTest, TamperedArchiveWarnsAndStillDecrypts) {
    mkdir("in");
    const Bytes data = random_bytes(10000, 9);
    write_file(at("t.bin"), data);
    ASSERT_EQ(encrypt({at("t.bin")}, 0), 0);
    Bytes archive = read_file(at("t.bin.velm"));
    // Data block 100 follows the header, times and name blocks.
    archive[160 + 32 * (3 + 100) + 7] ^= 0x40;
    const std::string in = at("in") + kSep;
    write_file(in + "t.bin.velm", archive);
    EXPECT_EQ(decrypt({in + "t.bin.velm"}), 0);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], in + "t.bin.velm", kSignatureBad, QUILL_MB_OK);
    // The changed block is garbled, and the same byte of the next one.
    const Bytes got = read_file(in + "t.bin");
    ASSERT_EQ(got.size(), data.size());
    for (size_t i = 0; i < data.size(); i++) {
        const bool may_differ = i / 32 == 100 || i == 32 * 101 + 7;
        EXPECT_TRUE(got[i] == data[i] || may_differ) << i;
    }
    EXPECT_NE(got[32 * 101 + 7], data[32 * 101 + 7]);
}

// ---- untrusted archives ----------------------------------------------------------

TEST_F(ArchiveTest, HostileEntryNamesAreRefused) {
    struct Case {
        std::string name;
        bool folder;
        uint32_t name_length;  // 0: the name's own
    };
    std::vector<Case> cases = {
        {"..\\evil.txt", false, 0},
        {"a\\..\\..\\evil.txt", false, 0},
        {"a/../../evil.txt", false, 0},
        {"\\evil.txt", false, 0},
        {"/evil.txt", false, 0},
        {"ev\x01il.txt", false, 0},
        {"", false, 1},
        {"", false, 0},
        {"..\\evil", true, 0},
        {"sub\\.. \\evil.txt", false, 0},
        {"sub\\...\\evil.txt", false, 0},
        {"x\x81/..\\..\\evil.txt", false, 0},
    };
#ifndef _WIN32
    cases.push_back({"a/b.txt", false, 0});
#endif
    for (size_t i = 0; i < cases.size(); i++) {
        SCOPED_TRACE(i);
        const std::string box = "case" + std::to_string(i), in = box + kSep + "in";
        mkdir(in);
        Crafter c(bob.pub);
        c.file("good.txt", "good");
        if (cases[i].folder)
            c.folder(cases[i].name);
        else
            c.file(cases[i].name, bytes_of("evil"), 4, cases[i].name_length);
        c.file("after.txt", "after");
        const std::string archive = at(in) + kSep + "a.velm";
        write_file(archive, c.bytes);
        boxes.clear();
        EXPECT_EQ(decrypt({archive}), 1);
        ASSERT_EQ(boxes.size(), 2u);
        expect_box(boxes[0], archive, kSignatureBad, QUILL_MB_OK);
        // The refusal names the entry.
        EXPECT_EQ(boxes[1].caption, archive);
        EXPECT_EQ(boxes[1].text.rfind(kBadEntryName, 0), 0u) << boxes[1].text;
        EXPECT_EQ(boxes[1].text.find('\x01'), std::string::npos) << boxes[1].text;
        EXPECT_EQ(listing(at(box)), (std::vector<std::string>{"in", "in/a.velm", "in/good.txt"}));
    }
}

// Names an archive made on Linux may hold that Windows cannot (devices, a
// trailing full stop or space, two names that differ in case only, ":"
// beside its full-width form) are each restored, never refused and never
// over one another; what took another name is listed in one box.
TEST_F(ArchiveTest, EveryEntryOfALinuxArchiveIsRestoredUnderItsOwnName) {
    const std::vector<std::string> names = {"CON",
                                            "nul.txt",
                                            "com1.log",
                                            "trail ",
                                            "dot.",
                                            "Case.txt",
                                            "case.txt",
                                            "a:b",
                                            "a\x81\x46"
                                            "b"};
    Crafter c(bob.pub);
    for (size_t i = 0; i < names.size(); i++) c.file(names[i], std::to_string(i));
    mkdir("in");
    const std::string in = at("in") + kSep;
    write_file(in + "a.velm", c.bytes);
    answers = {QUILL_IDYES};  // an answer for an existing file would overwrite
    EXPECT_EQ(decrypt({in + "a.velm"}), 0);
    std::set<std::string> contents;
    for (const std::string &name : listing(at("in")))
        if (name != "a.velm") {
            const Bytes b = read_file(in + name);
            contents.insert(std::string(b.begin(), b.end()));
        }
    EXPECT_EQ(contents.size(), names.size());
    // The signature warning first: a crafted archive has none.
#ifdef _WIN32
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, std::string(kNamesChanged) +
                                 "\n\x82\x62\x82\x6e\x82\x6d\n\x82\x8e\x82\x95\x82\x8c.txt"
                                 "\n\x82\x83\x82\x8f\x82\x8d\x82\x50.log\ntrail\x81\x40"
                                 "\ndot\x81\x44\ncase(1).txt\na\x81\x46"
                                 "b\na\x81\x46"
                                 "b(1)");
#else
    EXPECT_EQ(boxes.size(), 1u);
#endif
}

TEST_F(ArchiveTest, DoubleByteNamesAndFilesWithoutFolderEntriesAreRestored) {
    mkdir("in");
    Crafter c(bob.pub);
    c.file(std::string(kSoTableInArchive) + "\\f.txt", "f");  // trail bytes 0x5C in the folder name
    c.file("p\\q\\r.txt", "r");
#ifndef _WIN32
    // A trail byte 0x5C, then "..": one component, not a climb. (Windows
    // drops trailing full stops from names, so only here.)
    c.file(std::string(kTableDotsInArchive) + "\\g.txt", "g");
#endif
    const std::string in = at("in") + kSep;
    write_file(in + "a.velm", c.bytes);
    EXPECT_EQ(decrypt({in + "a.velm"}), 0);  // no trailer: read to the physical end
    EXPECT_EQ(read_file(in + kSoTable + kSep + "f.txt"), bytes_of("f"));
    EXPECT_EQ(read_file(in + "p" + kSep + "q" + kSep + "r.txt"), bytes_of("r"));
#ifndef _WIN32
    EXPECT_EQ(read_file(in + kTableDots + kSep + "g.txt"), bytes_of("g"));
#endif
    EXPECT_EQ(boxes.size(), 1u);  // the signature warning
}

TEST_F(ArchiveTest, CutArchivesFailKeepWhatWasRestoredAndPutBackWhatTheyReplaced) {
    Crafter c(bob.pub);
    c.file("one.txt", "first");
    c.file("two.bin", random_bytes(10000, 4), 10000);
    const Bytes whole = c.bytes;
    struct Cut {
        size_t size;
        int32_t result;
        bool one, two;  // which files are restored
    };
    const Cut cuts[] = {
        {100, 1, false, false},                 // shorter than the public value
        {160, 0, false, false},                 // the public value alone
        {whole.size() - 1000, 1, true, false},  // two.bin loses its last 1000 bytes
        // A partial block after the last entry: the run failed, so the old
        // two.bin that "上書き" replaced is back.
        {whole.size() + 5, 1, true, false},
    };
    for (size_t i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        const std::string in = at("cut" + std::to_string(i)) + kSep;
        fs::create_directories(in);
        Bytes part = whole;
        part.resize(cuts[i].size);
        write_file(in + "a.velm", part);
        // An old two.bin is not touched by a two.bin cut short.
        write_file(in + "two.bin", bytes_of("old"));
        answers = {QUILL_IDYES};
        EXPECT_EQ(decrypt({in + "a.velm"}), cuts[i].result);
        EXPECT_EQ(exists(in + "one.txt"), cuts[i].one);
        EXPECT_EQ(fs::file_size(in + "two.bin"), cuts[i].two ? 10000u : 3u);
        expect_no_temporaries(in);
    }
}

TEST_F(ArchiveTest, SizesAbove4GiBAreNotCutTo32Bits) {
    // 2^32 + 5 bytes announced, three blocks present: they are written and
    // the archive ends. Cut to 32 bits it would read as a complete file of 5
    // bytes.
    mkdir("in");
    Crafter c(bob.pub);
    c.file("huge.bin", random_bytes(96, 5), (uint64_t(1) << 32) + 5);
    const std::string in = at("in") + kSep;
    write_file(in + "h.velm", c.bytes);
    EXPECT_EQ(decrypt({in + "h.velm"}), 1);
    EXPECT_EQ(listing(at("in")), std::vector<std::string>{"h.velm"});

#ifndef _WIN32
    // A sparse source of 2^37 bytes is refused, not taken as empty. (Windows
    // runtimes may extend a file by writing zeros, so only here.)
    write_file(at("sparse.bin"), {});
    std::error_code ec;
    fs::resize_file(at("sparse.bin"), uint64_t(1) << 37, ec);
    if (ec) GTEST_SKIP() << "no sparse files of 128 GiB here";
    boxes.clear();
    EXPECT_EQ(encrypt({at("sparse.bin")}, 0), 1);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], at("sparse.bin"), kTooLarge, QUILL_MB_ICONEXCLAMATION);
    EXPECT_FALSE(exists(at("sparse.bin.velm")));
#endif
}

TEST_F(ArchiveTest, OutputPathsLongerThanAPathBufferAreRefused) {
    // The archive's path fits a path buffer, its content's path does not.
    const size_t want = kPathMax - 100;
    std::string deep = dir;
    while (deep.size() < want)
        deep = join(deep, std::string(std::min<size_t>(100, want - deep.size()), 'd'));
    fs::create_directories(deep);
    Crafter c(bob.pub);
    c.file(std::string(200, 'n'), "long");
    const std::string archive = join(deep, "a.velm");
    write_file(archive, c.bytes);
    EXPECT_EQ(decrypt({archive}), 1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, kPathTooLong);
    EXPECT_EQ(listing(deep), std::vector<std::string>{"a.velm"});
}

// ---- names and kinds as real folders have them ------------------------------------

#ifndef _WIN32
// Everything a Linux folder may hold that an archive can hold comes back
// exactly: names beginning with a full stop, and the characters Windows
// refuses in names. What an archive cannot hold fails the encryption in one
// message naming every such entry, before anything is written.
TEST_F(ArchiveTest, EveryNameOfARealFolderComesBackOrIsNamedUpFront) {
    const std::vector<std::string> held = {
        "src/.env",      "src/.git/config",       "src/Algorithm::Diff.3pm.gz",
        "src/a*b?c.txt", "src/\"q\" <x> |y|.txt", "src/CON",
        "src/end.",      "src/10月〜12月.xlsx"};  // 〜 as a Linux input method types it
    for (const std::string &rel : held) {
        fs::create_directories(to_path(at(rel)).parent_path());
        write_file(at(rel), bytes_of(rel));
    }
    ASSERT_EQ(encrypt({at("src")}, 1), 0);
    EXPECT_TRUE(boxes.empty());
    mkdir("out");
    move("src.velm", std::string("out") + kSep + "src.velm");
    EXPECT_EQ(decrypt({at("out") + kSep + "src.velm"}), 0);
    for (const std::string &rel : held)
        EXPECT_EQ(read_file(at("out/" + rel)), bytes_of(rel)) << rel;
    EXPECT_TRUE(boxes.empty());

    // src/<200>/<55>: 261 bytes with the NUL, one more than an entry name holds.
    const std::string long_name = "src/" + std::string(200, 'n') + "/" + std::string(55, 'm');
    const std::vector<std::string> refused = {"src/café.txt", "src/tab\there", "src/back\\slash",
                                              "src/¥.txt", long_name};
    for (const std::string &rel : refused) {
        fs::create_directories(to_path(at(rel)).parent_path());
        write_file(at(rel), bytes_of("x"));
    }
    EXPECT_EQ(encrypt({at("src")}, 0), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, at("src"));
    const std::string not_held = std::string(": ") + kItemNameNotHeld;
    EXPECT_EQ(boxes[0].text, std::string(kCannotEncryptItems) + "\nsrc/back\\slash" + not_held +
                                 " (\\ U+005C)\nsrc/café.txt" + not_held + " (é U+00E9)\n" +
                                 long_name + ": " + kItemTooLong + "\nsrc/tab\\x09here" + not_held +
                                 " (\\x09 U+0009)\nsrc/¥.txt" + not_held + " (¥ U+00A5)");
    EXPECT_FALSE(exists(at("src.velm")));
    expect_no_temporaries(dir);
}

// Names spelled otherwise than code page 932's converter gives them back (a
// decomposed name, as copied from a Mac, and the code page's own ～ where
// Linux types 〜) are held as the code page's characters and named before
// the archive is made, which goes on; they come back composed, and as Linux
// types them. Two names that would become one fail the encryption.
TEST_F(ArchiveTest, NamesInAnotherSpellingAreHeldAndNamedBeforehand) {
    const std::string decomposed = "src/テ\u3099ータ", wide_tilde = "src/全角～.txt";
    const std::string change = " (テ\u3099 U+30C6 U+3099 → デ U+30C7)";
    mkdir("src");
    write_file(at(decomposed), bytes_of("d"));
    write_file(at(wide_tilde), bytes_of("w"));
    ASSERT_EQ(encrypt({at("src")}, 0), 0);
    ASSERT_EQ(boxes.size(), 1u);
    expect_box(boxes[0], at("src"),
               (std::string(kNoticeItems) + "\n" + decomposed + ": " + kItemRespelled + change +
                "\n" + wide_tilde + ": " + kItemRespelled + " (～ U+FF5E → 〜 U+301C)")
                   .c_str(),
               QUILL_MB_OK | QUILL_MB_ICONEXCLAMATION);
    mkdir("out");
    move("src.velm", "out/src.velm");
    EXPECT_EQ(decrypt({at("out/src.velm")}), 0);
    EXPECT_EQ(listing(at("out/src")), (std::vector<std::string>{"データ", "全角〜.txt"}));
    EXPECT_EQ(read_file(at("out/src/データ")), bytes_of("d"));

    write_file(at("src/データ"), bytes_of("composed"));
    boxes.clear();
    EXPECT_EQ(encrypt({at("src")}, 0), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string(kCannotEncryptItems) + "\n" + decomposed + ": " +
                                 kItemNameShared + change);
}
#endif

// A name an archive from Linux may hold, with characters that no Windows
// file name can: Windows restores it with their full-width forms and says
// so; Linux restores it as it is.
TEST_F(ArchiveTest, NamesWindowsRefusesAreRestoredWithFullWidthForms) {
    mkdir("in");
    Crafter c(bob.pub);
    c.folder("d:e");
    c.file("d:e\\a*b?.txt", "a");
    c.file("\"q\"<x>|y|.txt", "q");  // "|" is a trail byte only after a lead byte
    c.file("\x95\x7c.txt", "t");     // 95 7C is 怖, whose trail byte is no "|"
    const std::string in = at("in") + kSep;
    write_file(in + "a.velm", c.bytes);
    EXPECT_EQ(decrypt({in + "a.velm"}), 0);
#ifdef _WIN32
    const std::string folder =
        "d\x81\x46"
        "e";
    EXPECT_EQ(read_file(in + folder +
                        "\\a\x81\x96"
                        "b\x81\x48.txt"),
              bytes_of("a"));
    const std::string quoted = "\xFA\x57q\xFA\x57\x81\x83x\x81\x84\x81\x62y\x81\x62.txt";
    EXPECT_EQ(read_file(in + quoted), bytes_of("q"));
    EXPECT_EQ(read_file(in + "\x95\x7c.txt"), bytes_of("t"));
    ASSERT_EQ(boxes.size(), 2u);  // the signature, then the names
    EXPECT_EQ(boxes[1].caption, in + "a.velm");
    EXPECT_EQ(boxes[1].text, std::string(kNamesChanged) + "\n" + folder + "\n" + folder +
                                 "\\a\x81\x96"
                                 "b\x81\x48.txt\n" +
                                 quoted);
#else
    EXPECT_EQ(read_file(in + "d:e/a*b?.txt"), bytes_of("a"));
    EXPECT_EQ(read_file(in + "\"q\"<x>|y|.txt"), bytes_of("q"));
    EXPECT_EQ(read_file(in + "\xe6\x80\x96.txt"), bytes_of("t"));
    EXPECT_EQ(boxes.size(), 1u);
#endif
}

// A file where the archive has a folder, and a folder where it has a file,
// are named as such; "別名保存" puts the entry beside the one in the way,
// its contents with it, and "上書き" never replaces a folder.
TEST_F(ArchiveTest, KindConflictsAreAskedAndResolved) {
    mkdir("src/d");
    write_file(at("src/d/in.txt"), bytes_of("inside"));
    write_file(at("src/f"), bytes_of("file"));
    ASSERT_EQ(encrypt({at("src/d"), at("src/f")}, 0), 0);
    mkdir("in");
    const std::string in = at("in") + kSep;
    move(std::string("src") + kSep + "d.velm", std::string("in") + kSep + "d.velm");
    write_file(in + "d", bytes_of("a file named d"));
    mkdir(std::string("in") + kSep + "f");
    answers = {QUILL_IDNO, QUILL_IDNO};
    EXPECT_EQ(decrypt({in + "d.velm"}), 0);
    ASSERT_EQ(boxes.size(), 2u);
    expect_box(boxes[0], in + "d", kFileInTheWay, QUILL_MB_YESNOCANCEL);
    expect_box(boxes[1], in + "f", kFolderInTheWay, QUILL_MB_YESNOCANCEL);
    EXPECT_EQ(read_file(in + "d"), bytes_of("a file named d"));
    EXPECT_EQ(read_file(in + "d(1)" + kSep + "in.txt"), bytes_of("inside"));
    EXPECT_EQ(read_file(in + "f(1)"), bytes_of("file"));

    // "上書き": the file gives way to the folder; the folder stays, and says so.
    fs::remove_all(in + "d(1)");
    fs::remove(in + "f(1)");
    boxes.clear();
    answers = {QUILL_IDYES, QUILL_IDYES};
    EXPECT_EQ(decrypt({in + "d.velm"}), 1);
    ASSERT_EQ(boxes.size(), 4u);
    expect_box(boxes[2], in + "f", kFolderNotReplaced, QUILL_MB_ICONEXCLAMATION);
    EXPECT_EQ(read_file(in + "d" + kSep + "in.txt"), bytes_of("inside"));
    EXPECT_TRUE(fs::is_directory(in + "f"));
    // The run failed, but its folder d holds what was restored: the file it
    // replaced cannot go back, and the box says where it stays.
    const std::string kept = boxes[3].text.substr(boxes[3].text.find('\n') + 1);
    expect_box(boxes[3], in + "d", (std::string(kKeptAside) + "\n" + kept).c_str(),
               QUILL_MB_ICONEXCLAMATION);
    EXPECT_EQ(read_file(kept), bytes_of("a file named d"));
    fs::remove(kept);
    expect_no_temporaries(dir);

    // Read once, a decryption that fails so takes away what it had placed.
    fs::remove_all(in + "d");
    write_file(in + "d", bytes_of("a file named d"));
    answers = {QUILL_IDNO, QUILL_IDYES};
    EXPECT_EQ(fukugou_kensyou(bob.secret.c_str(), password, alice.pub.c_str(),
                              (in + "d.velm").c_str(), nullptr, 0),
              1);
    EXPECT_EQ(listing(at("in")), (std::vector<std::string>{"d", "d.velm", "f"}));
}

}  // namespace
