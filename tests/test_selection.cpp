// The selection that file_get builds: which files and folders, in which
// order, relative to the first item's folder, and what it notes on the way;
// and the entry names its paths get.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#ifndef _WIN32
#include <iconv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cp932.h"
#include "drivers/selection.h"
#include "files.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace {

using quill::Problem;
using quill::selection;
using Names = std::vector<std::string>;

// The problems the walk noted, as (kind, path) pairs.
std::vector<std::pair<Problem::Kind, std::string>> problems() {
    std::vector<std::pair<Problem::Kind, std::string>> all;
    for (const Problem &p : selection().problems) all.emplace_back(p.kind, p.path);
    return all;
}

Names natives(Names names) {
    for (auto &n : names) n = native(n);
    return names;
}

TEST(Selection, SingleFile) {
    ScratchDir d("sel_single");
    write_text(d / "b.txt", "x");
    EXPECT_EQ(file_get(0, (d / "b.txt").c_str()), 1);
    EXPECT_EQ(selection().files, natives({"b.txt"}));
    EXPECT_TRUE(selection().folders.empty());
    EXPECT_EQ(selection().a_folder, d.str() + kSep);
    EXPECT_TRUE(selection().problems.empty());
}

TEST(Selection, FolderTreeIsListedDepthFirstFolderBeforeContents) {
    ScratchDir d("sel_tree");
    fs::create_directories(d / "photos/e");
    fs::create_directories(d / "photos/2009/deep");
    write_text(d / "photos/x.jpg", "x");
    write_text(d / "photos/2009/a.jpg", "a");
    write_text(d / "photos/2009/deep/b.jpg", "b");
    EXPECT_EQ(file_get(0, (d / "photos").c_str()), 3);

    // Siblings come in the platform's order; what holds everywhere is that a
    // folder precedes its contents and the chosen folder comes first.
    Names folders = selection().folders;
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders[0], "photos");
    auto pos = [&](const Names &v, const std::string &s) {
        return std::find(v.begin(), v.end(), native(s)) - v.begin();
    };
    EXPECT_LT(pos(folders, "photos/2009"), pos(folders, "photos/2009/deep"));
    EXPECT_LT(pos(folders, "photos/e"), 4);
    Names files = selection().files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, natives({"photos/2009/a.jpg", "photos/2009/deep/b.jpg", "photos/x.jpg"}));
    // Depth first: a sub-folder's files are contiguous.
    const auto a = pos(selection().files, "photos/2009/a.jpg");
    const auto b = pos(selection().files, "photos/2009/deep/b.jpg");
    EXPECT_EQ(std::abs(long(a - b)), 1);
}

// Names beginning with a full stop are files and folders like any other;
// only the entries for a folder itself and its parent are passed over.
TEST(Selection, NamesBeginningWithAFullStopAreTaken) {
    ScratchDir d("sel_dots");
    fs::create_directories(d / "f/.git");
    write_text(d / "f/.env", "h");
    write_text(d / "f/.git/config", "x");
    write_text(d / "f/..x", "y");
    EXPECT_EQ(file_get(0, (d / "f").c_str()), 3);
    EXPECT_EQ(selection().folders, natives({"f", "f/.git"}));
    Names files = selection().files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, natives({"f/..x", "f/.env", "f/.git/config"}));
    EXPECT_TRUE(selection().problems.empty());
}

TEST(Selection, IndexZeroStartsAfreshAndCountsOnlyFiles) {
    ScratchDir d("sel_fresh");
    fs::create_directories(d / "empty1");
    fs::create_directories(d / "empty2");
    write_text(d / "a", "a");
    write_text(d / "b", "b");
    EXPECT_EQ(file_get(0, (d / "a").c_str()), 1);
    EXPECT_EQ(file_get(1, (d / "b").c_str()), 2);
    EXPECT_EQ(file_get(0, (d / "empty1").c_str()), 0);
    EXPECT_EQ(file_get(1, (d / "empty2").c_str()), 0);
    EXPECT_TRUE(selection().files.empty());
    EXPECT_EQ(selection().folders, natives({"empty1", "empty2"}));
}

TEST(Selection, TrailingSeparatorAndMissingItems) {
    ScratchDir d("sel_trailing");
    fs::create_directories(d / "f");
    write_text(d / "f/x", "x");
    EXPECT_EQ(file_get(0, (d.str() + kSep + "f" + kSep).c_str()), 1);
    EXPECT_EQ(selection().folders, natives({"f"}));
    EXPECT_EQ(file_get(1, (d / "missing").c_str()), 1);
    EXPECT_TRUE(selection().problems.empty());
}

TEST(Selection, TreeDeeperThanTheWalkFailsTheSelection) {
    ScratchDir d("sel_deep");
    // The chosen folder is enumerated at level 1 and the walk has levels up
    // to 51: t with 50 folders below it is as deep as it goes.
    std::string rel = "t";
    for (int level = 2; level <= 51; level++) rel += "/d";
    fs::create_directories(d / rel);
    write_text(d / (rel + "/ok"), "x");
    EXPECT_EQ(file_get(0, (d / "t").c_str()), 1);
    EXPECT_TRUE(selection().problems.empty());

    fs::create_directories(d / (rel + "/d"));
    write_text(d / (rel + "/d/lost"), "x");
    file_get(0, (d / "t").c_str());
    EXPECT_EQ(problems(), (std::vector<std::pair<Problem::Kind, std::string>>{
                              {Problem::kTooDeep, d / (rel + "/d")}}));
}

TEST(Selection, ItemOutsideTheFirstItemsFolderFailsTheSelection) {
    ScratchDir d("sel_outside");
    fs::create_directories(d / "sub");
    write_text(d / "a", "a");
    write_text(d / "sub/b", "b");
    file_get(0, (d / "sub/b").c_str());
    EXPECT_EQ(file_get(1, (d / "a").c_str()), 1);
    EXPECT_EQ(problems(),
              (std::vector<std::pair<Problem::Kind, std::string>>{{Problem::kElsewhere, d / "a"}}));
}

#ifndef _WIN32
// What the user running the walk cannot read is noted, not passed over: a
// folder it cannot list, a file it cannot open. Permissions do not bind the
// superuser, so the walk runs as nobody in a child process, on a tree that
// nobody can reach whatever folder the tests run in.
TEST(Selection, UnreadableFoldersAndFilesAreNoted) {
    const ScratchDir d = ScratchDir::open_to_all("sel_unreadable");
    fs::create_directories(d / "t/closed");
    fs::create_directories(d / "t/open");
    write_text(d / "t/closed/lost", "x");
    write_text(d / "t/open/secret", "x");
    write_text(d / "t/open/fine", "x");
    chmod((d / "t").c_str(), 0755);
    chmod((d / "t/open").c_str(), 0755);
    chmod((d / "t/open/fine").c_str(), 0644);
    chmod((d / "t/closed").c_str(), 0);
    chmod((d / "t/open/secret").c_str(), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        if (access((d / "t/open/fine").c_str(), R_OK) != 0) _exit(3);
        file_get(0, (d / "t").c_str());
        const auto want = std::vector<std::pair<Problem::Kind, std::string>>{
            {Problem::kUnreadableFolder, d / "t/closed"},
            {Problem::kUnreadableFile, d / "t/open/secret"}};
        auto got = problems();
        std::sort(got.begin(), got.end());
        const bool denied = selection().problems.size() == 2 &&
                            selection().problems[0].why == quill::plat::kFailDenied;
        _exit(got == want && denied && selection().files.size() == 2 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod((d / "t/closed").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "nobody cannot reach " << d.str();
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A link inside a chosen folder is never walked through: one that leads,
// through other links too, to a regular file in the chosen folder is taken
// as that file; every other one, and a FIFO, is noted and left out. The
// chosen folder may itself be reached through a link.
TEST(Selection, LinksAreTakenAsTheFileTheyLeadToInsideTheChosenFolderOnly) {
    ScratchDir d("sel_links");
    fs::create_directories(d / "t/sub");
    write_text(d / "t/sub/f.txt", "f");
    write_text(d / "outside.txt", "secret");
    fs::create_symlink("sub/f.txt", d / "t/alias");
    fs::create_symlink("../alias", d / "t/sub/chain");
    fs::create_symlink(d / "outside.txt", d / "t/out");
    fs::create_symlink("../t/sub/f.txt", d / "t/back_in");
    fs::create_directory_symlink("sub", d / "t/folder");
    fs::create_symlink("gone", d / "t/broken");
    fs::create_symlink("loop", d / "t/loop");
    ASSERT_EQ(mkfifo((d / "t/pipe").c_str(), 0600), 0);
    fs::create_directory_symlink("t", d / "via");
    for (const char *item : {"t", "via"}) {
        SCOPED_TRACE(item);
        EXPECT_EQ(file_get(0, (d / item).c_str()), 4);
        Names linked = selection().linked;
        std::sort(linked.begin(), linked.end());
        const std::string t = item;
        EXPECT_EQ(linked, (Names{t + "/alias", t + "/back_in", t + "/sub/chain"}));
        EXPECT_TRUE(selection().problems.empty());
        std::vector<std::pair<Problem::Kind, std::string>> noted;
        for (const Problem &p : selection().notices) noted.emplace_back(p.kind, p.path);
        std::sort(noted.begin(), noted.end(),
                  [](const auto &a, const auto &b) { return a.second < b.second; });
        const std::string at = d / item;
        EXPECT_EQ(noted, (std::vector<std::pair<Problem::Kind, std::string>>{
                             {Problem::kLinkFollowed, at + "/alias"},
                             {Problem::kLinkFollowed, at + "/back_in"},
                             {Problem::kLinkNowhere, at + "/broken"},
                             {Problem::kLinkToFolder, at + "/folder"},
                             {Problem::kLinkNowhere, at + "/loop"},
                             {Problem::kLinkOutside, at + "/out"},
                             {Problem::kNotFileOrFolder, at + "/pipe"},
                             {Problem::kLinkFollowed, at + "/sub/chain"}}));
    }
}

// What iconv says each code of code page 932 is, by its JIS-based tables
// and by the code page's own: the variant table holds exactly the codes on
// which they disagree, each spelling is stored as its code, and Linux gives
// the code back as the JIS-based spelling.
TEST(Selection, EntryNamesFollowTheSystemsCodePageTables) {
    namespace plat = quill::plat;
    const auto decoded = [](const char *code_page, unsigned code) {
        iconv_t cd = iconv_open("UTF-32LE", code_page);
        char in[2] = {char(code >> 8), char(code)}, out[8] = {};
        char *src = in, *dst = out;
        size_t src_left = 2, dst_left = sizeof out;
        const bool ok = iconv(cd, &src, &src_left, &dst, &dst_left) != size_t(-1);
        iconv_close(cd);
        return ok && dst_left == 4
                   ? char32_t(uint8_t(out[0]) | uint8_t(out[1]) << 8 | uint8_t(out[2]) << 16)
                   : char32_t(0);
    };
    std::vector<unsigned> disagree, restored;
    for (unsigned code = 0x8140; code <= 0xFCFC; code++) {
        const char32_t jis = decoded("SHIFT_JIS", code);
        if (jis != 0 && jis != decoded("CP932", code)) disagree.push_back(code);
    }
    const auto utf8 = [](char32_t c) {
        std::string s;
        if (c < 0x80) return s += char(c);
        if (c < 0x800) return s += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        return s += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    };
    char name[16], back[16];
    for (const quill::cp932::Variant &v : quill::cp932::kVariants) {
        if (v.jis_restored) restored.push_back(v.code);
        EXPECT_EQ(decoded("CP932", v.code), v.own);
        const std::string code = {char(v.code >> 8), char(v.code)};
        for (const char32_t c : {v.jis, v.own}) {
            ASSERT_EQ(plat::to_archive_name(utf8(c).c_str(), name, sizeof name), plat::kNameOk);
            EXPECT_EQ(name, code);
        }
        ASSERT_EQ(plat::from_archive_name(code.c_str(), back, sizeof back), plat::kNameOk);
        EXPECT_EQ(back, utf8(v.jis_restored ? v.jis : v.own));
    }
    std::sort(restored.begin(), restored.end());
    EXPECT_EQ(disagree, restored);

    // Every composition gives a character of the code page, stored as the
    // composed character is.
    std::vector<std::array<char32_t, 3>> all;
    for (const auto &p : quill::cp932::kVoiced)
        all.push_back({p[0], quill::cp932::kVoicedMark, p[1]});
    for (const auto &p : quill::cp932::kSemiVoiced)
        all.push_back({p[0], quill::cp932::kSemiVoicedMark, p[1]});
    for (const auto &c : quill::cp932::kOtherCompositions)
        all.push_back({c.base, c.mark, c.composed});
    for (const auto &[base, mark, composed] : all) {
        ASSERT_EQ(plat::to_archive_name(utf8(composed).c_str(), name, sizeof name), plat::kNameOk);
        ASSERT_EQ(plat::to_archive_name((utf8(base) + utf8(mark)).c_str(), back, sizeof back),
                  plat::kNameOk);
        EXPECT_EQ(std::string(back), name) << unsigned(composed);
    }

    // What no entry name holds, and what each note says. The decomposed
    // names spell e and テ with a separate mark.
    char note[plat::kNoteBytes];
    for (const auto &[path, said] : std::vector<std::pair<std::string, std::string>>{
             {"d/café", "é U+00E9"},
             {"d/e\u0301té", "e\u0301 U+0065 U+0301"},
             {"¥100", "¥ U+00A5"},                     // iconv writes "\"
             {"tag\U000E0001", "\U000E0001 U+E0001"},  // iconv drops it
             {"latin1\xe9", "0xE9"}}) {
        EXPECT_EQ(plat::to_archive_name(path.c_str(), name, sizeof name),
                  plat::kNameUnrepresentable)
            << path;
        plat::name_unheld(path.c_str(), note);
        EXPECT_EQ(note, said);
    }
    plat::name_respelled("テ\u3099ータ/～", note);
    EXPECT_STREQ(note, "テ\u3099 U+30C6 U+3099 → デ U+30C7、～ U+FF5E → 〜 U+301C");
    plat::name_respelled("10月〜12月.xlsx", note);
    EXPECT_STREQ(note, "") << "typed on Linux, comes back as typed";
}
#endif

}  // namespace
