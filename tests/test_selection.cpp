// The selection that file_get builds: which files and folders, in which
// order, relative to the first item's folder.
#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "archive/selection.h"
#include "files.h"
#include "quillcore.h"

namespace {

using quill::Problem;
using quill::selection;
using Names = std::vector<std::string>;

// The problems the walk noted, as (kind, path) pairs.
std::vector<std::pair<Problem::Kind, std::string>> problems() {
    std::vector<std::pair<Problem::Kind, std::string>> all;
    for (const Problem &p : selection.problems) all.emplace_back(p.kind, p.path);
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
    EXPECT_EQ(selection.files, natives({"b.txt"}));
    EXPECT_TRUE(selection.folders.empty());
    EXPECT_EQ(selection.a_folder, d.str() + kSep);
    EXPECT_TRUE(selection.problems.empty());
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
    Names folders = selection.folders;
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders[0], "photos");
    auto pos = [&](const Names &v, const std::string &s) {
        return std::find(v.begin(), v.end(), native(s)) - v.begin();
    };
    EXPECT_LT(pos(folders, "photos/2009"), pos(folders, "photos/2009/deep"));
    EXPECT_LT(pos(folders, "photos/e"), 4);
    Names files = selection.files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, natives({"photos/2009/a.jpg", "photos/2009/deep/b.jpg", "photos/x.jpg"}));
    // Depth first: a sub-folder's files are contiguous.
    const auto a = pos(selection.files, "photos/2009/a.jpg");
    const auto b = pos(selection.files, "photos/2009/deep/b.jpg");
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
    EXPECT_EQ(selection.folders, natives({"f", "f/.git"}));
    Names files = selection.files;
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, natives({"f/..x", "f/.env", "f/.git/config"}));
    EXPECT_TRUE(selection.problems.empty());
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
    EXPECT_TRUE(selection.files.empty());
    EXPECT_EQ(selection.folders, natives({"empty1", "empty2"}));
}

TEST(Selection, TrailingSeparatorAndMissingItems) {
    ScratchDir d("sel_trailing");
    fs::create_directories(d / "f");
    write_text(d / "f/x", "x");
    EXPECT_EQ(file_get(0, (d.str() + kSep + "f" + kSep).c_str()), 1);
    EXPECT_EQ(selection.folders, natives({"f"}));
    EXPECT_EQ(file_get(1, (d / "missing").c_str()), 1);
    EXPECT_TRUE(selection.problems.empty());
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
    EXPECT_TRUE(selection.problems.empty());

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
        const bool denied =
            selection.problems.size() == 2 && selection.problems[0].why == quill::plat::kFailDenied;
        _exit(got == want && denied && selection.files.size() == 2 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod((d / "t/closed").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "nobody cannot reach " << d.str();
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
