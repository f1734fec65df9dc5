// Output names: the archive's name, the question about an existing name and
// the first free numbered name.
#include <gtest/gtest.h>

#include <cstring>

#include "files.h"
#include "quillcore.h"
#include "texts.h"

#if defined(_WIN32)
#include <windows.h>

#include <thread>
#endif

namespace {

struct Box {
    std::string text, caption;
    unsigned type;
};
std::vector<Box> boxes;
int answer = QUILL_IDCANCEL;

int record(void *, const char *text, const char *caption, unsigned type) {
    boxes.push_back({text, caption, type});
    return answer;
}

class Names : public ::testing::Test {
  protected:
    void SetUp() override {
        boxes.clear();
        msgbox_set(record);
    }
    void TearDown() override { msgbox_set(nullptr); }

    // Asks about path with the given answer; returns the result and leaves
    // the (possibly renamed) path in out.
    int ask(const std::string &path, int reply, std::string *out = nullptr) {
        answer = reply;
        std::vector<char> buf(4096, '\0');
        memcpy(buf.data(), path.c_str(), path.size() + 1);
        const int r = filenamesyori(buf.data());
        if (out) *out = buf.data();
        return r;
    }
};

TEST_F(Names, FreeNameIsNotAsked) {
    ScratchDir d("names_free");
    std::string out;
    EXPECT_EQ(ask(d / "new.txt", QUILL_IDYES, &out), 0);
    EXPECT_EQ(out, d / "new.txt");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Names, ExistingNameAsksWithThePathAsCaption) {
    ScratchDir d("names_ask");
    write_text(d / "r.doc", "x");
    std::string out;
    EXPECT_EQ(ask(d / "r.doc", QUILL_IDCANCEL, &out), 3);
    EXPECT_EQ(out, d / "r.doc");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, d / "r.doc");
    EXPECT_EQ(boxes[0].text, kExists);
    EXPECT_EQ(boxes[0].type, unsigned(QUILL_MB_YESNOCANCEL));
    EXPECT_EQ(ask(d / "r.doc", QUILL_IDYES), 1);
    EXPECT_EQ(read_text(d / "r.doc"), "x") << "the caller removes the file, not the question";
}

TEST_F(Names, ReadOnlyFileIsNamedAsSuchAndMadeWritableOnOverwrite) {
    ScratchDir d("names_ro");
    write_text(d / "ro.txt", "x");
    fs::permissions(d / "ro.txt",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(ask(d / "ro.txt", QUILL_IDCANCEL), 3);
    EXPECT_EQ(boxes.back().text, kExistsReadOnly);
    EXPECT_EQ(ask(d / "ro.txt", QUILL_IDYES), 1);
    EXPECT_TRUE((fs::status(d / "ro.txt").permissions() & fs::perms::owner_write) !=
                fs::perms::none);
    EXPECT_EQ(ask(d / "ro.txt", QUILL_IDCANCEL), 3);
    EXPECT_EQ(boxes.back().text, kExists) << "asked again after the read-only bit went";
}

TEST_F(Names, AnotherNameIsTheFirstFreeNumberedName) {
    ScratchDir d("names_num");
    write_text(d / "r.doc", "x");
    std::string out;
    EXPECT_EQ(ask(d / "r.doc", QUILL_IDNO, &out), 2);
    EXPECT_EQ(out, d / "r(1).doc");
    EXPECT_EQ(boxes.size(), 1u) << "candidates are not asked about";

    write_text(d / "r(1).doc", "x");
    fs::create_directories(d / "r(2).doc");  // a folder takes a name too
    EXPECT_EQ(ask(d / "r.doc", QUILL_IDNO, &out), 2);
    EXPECT_EQ(out, d / "r(3).doc");

    for (int n = 3; n <= 9; n++) write_text(d / ("r(" + std::to_string(n) + ").doc"), "x");
    EXPECT_EQ(ask(d / "r.doc", QUILL_IDNO, &out), 2);
    EXPECT_EQ(out, d / "r(10).doc");
}

TEST_F(Names, ExtensionIsTheLastDotOfTheLastComponent) {
    ScratchDir d("names_ext");
    fs::create_directories(d / "dir.x");
    write_text(d / "dir.x/plain", "x");
    write_text(d / "dir.x/a.b.c", "x");
    std::string out;
    EXPECT_EQ(ask(d / "dir.x/plain", QUILL_IDNO, &out), 2);
    EXPECT_EQ(out, d / "dir.x/plain(1)");
    EXPECT_EQ(ask(d / "dir.x/a.b.c", QUILL_IDNO, &out), 2);
    EXPECT_EQ(out, d / "dir.x/a.b(1).c");
    EXPECT_EQ(ask(d / "dir.x", QUILL_IDNO, &out), 2) << "an existing folder is asked about too";
    EXPECT_EQ(out, d / "dir(1).x");
}

TEST_F(Names, ArchiveNameKeepsTheItemsExtension) {
    ScratchDir d("names_archive");
    write_text(d / "report.doc", "x");
    fs::create_directories(d / "photos");
    std::vector<char> archive(4096), scratch(4096);
    EXPECT_EQ(angoufilemeisakusei((d / "report.doc").c_str(), archive.data(), scratch.data()), 0);
    EXPECT_EQ(std::string(archive.data()), d / "report.doc.velm");
    EXPECT_EQ(std::string(scratch.data()), "report.doc");
    EXPECT_EQ(angoufilemeisakusei((d / "photos").c_str(), archive.data(), scratch.data()), 0);
    EXPECT_EQ(std::string(archive.data()), d / "photos.velm");

    write_text(d / "report.doc.velm", "old");
    answer = QUILL_IDNO;
    std::vector<char> same(4096);
    strcpy(same.data(), (d / "report.doc").c_str());
    EXPECT_EQ(angoufilemeisakusei(same.data(), same.data(), scratch.data()), 2);
    EXPECT_EQ(std::string(same.data()), d / "report.doc(1).velm");
    EXPECT_EQ(boxes.back().caption, d / "report.doc.velm");
}

#if defined(_WIN32)
// Near the 260-byte path limit no numbered name fits: the question fails
// instead of writing a name that was cut short.
TEST_F(Names, NoFreeNameFitsThePathLimit) {
    ScratchDir d("names_long");
    std::string path = d / "";
    path += std::string(259 - path.size() - 4, 'n') + ".txt";
    ASSERT_EQ(path.size(), 259u);
    write_text(path, "x");
    std::string out;
    EXPECT_EQ(ask(path, QUILL_IDNO, &out), -1);
    EXPECT_EQ(out, path);
}

// The system's own box, found and answered from another thread as a user
// would: its buttons carry the library's labels.
TEST(NamesWindows, SystemBoxShowsTheThreeLabels) {
    ScratchDir d("names_box");
    write_text(d / "x.txt", "x");
    const std::string path = d / "x.txt";
    std::string labels[3];
    bool found = false;
    std::thread user([&] {
        for (int tries = 0; tries < 200 && !found; tries++) {
            Sleep(50);
            HWND box = FindWindowA("#32770", path.c_str());
            if (!box || !IsWindowVisible(box)) continue;
            char text[64];
            const int ids[3] = {IDYES, IDNO, IDCANCEL};
            for (int i = 0; i < 3; i++) {
                GetDlgItemTextA(box, ids[i], text, sizeof text);
                labels[i] = text;
            }
            found = true;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
    });
    std::vector<char> buf(MAX_PATH);
    strcpy(buf.data(), path.c_str());
    const int r = filenamesyori(buf.data());
    user.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(std::string(buf.data()), d / "x(1).txt");
    EXPECT_EQ(labels[0], kOverwrite);
    EXPECT_EQ(labels[1], kSaveAs);
    EXPECT_EQ(labels[2], kStop);
}
#endif

}  // namespace
