// What the tests that drive whole archives share besides the file helpers:
// sample contents, key pairs, selections, the recorded message boxes and a
// fixture with two users, alice who signs and sends and bob who receives.
#ifndef QUILL_TEST_ARCHIVE_FILES_H
#define QUILL_TEST_ARCHIVE_FILES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "files.h"
#include "quillcore.h"

namespace archive_files {

inline Bytes random_bytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes d(n);
    for (auto &b : d) b = uint8_t(rng());
    return d;
}

inline Bytes text_data(size_t n) {
    Bytes d;
    for (int i = 0; d.size() < n; i++) {
        const std::string line =
            "line " + std::to_string(i) + " of a text that compresses well\r\n";
        d.insert(d.end(), line.begin(), line.end());
    }
    d.resize(n);
    return d;
}

// A key pair's two files.
struct User {
    std::string secret, pub;
};

// Selects the items in order, as a drop would; the library's file count.
inline int32_t select(const std::vector<std::string> &items) {
    int32_t n = 0;
    for (size_t i = 0; i < items.size(); i++) n = file_get(int32_t(i), items[i].c_str());
    return n;
}

// ---- message boxes: recorded, prompts answered from a script -----------------

struct Box {
    std::string text, caption;
    unsigned type;
};
inline std::vector<Box> boxes;
// Answers to the name prompts, in order; when they run out, unscripted is
// given, or with 0 the prompt fails the test.
inline std::vector<int> answers;
inline int unscripted = 0;

inline int record_box(void *, const char *text, const char *caption, unsigned type) {
    boxes.push_back({text, caption, type});
    if ((type & QUILL_MB_TYPEMASK) != QUILL_MB_YESNOCANCEL) return QUILL_IDOK;
    if (answers.empty()) {
        if (unscripted != 0) return unscripted;
        ADD_FAILURE() << "unexpected prompt for " << caption;
        return QUILL_IDCANCEL;
    }
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

inline void expect_box(const Box &b, const std::string &caption, const char *text, unsigned type) {
    EXPECT_EQ(b.caption, caption);
    EXPECT_EQ(b.text, text);
    EXPECT_EQ(b.type, type);
}

// No temporary file of the library is left anywhere below folder.
inline void expect_no_temporaries(const std::string &folder) {
    for (const std::string &name : listing(folder))
        EXPECT_EQ(name.find(".quillseal-"), std::string::npos) << name;
}

// ---- two users and the drivers --------------------------------------------------

inline User alice, bob;
inline unsigned char password[160] = "eight or more characters";

inline int32_t encrypt(const std::vector<std::string> &items, int32_t compress,
                       const User &to = bob) {
    select(items);
    return angouka(alice.secret.c_str(), password, to.pub.c_str(), compress);
}

inline int32_t decrypt(const std::vector<std::string> &archives, const User &me = bob) {
    select(archives);
    return fukugouka(me.secret.c_str(), password, alice.pub.c_str());
}

// A folder per suite holding both key pairs, and a fresh folder per test;
// boxes are recorded while a test runs.
class DriverTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string suite = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
        root = fresh_folder(join(to_native(fs::current_path()), suite + "_test"));
        const std::string keys = fresh_folder(join(root, "keys"));
        alice = {join(keys, "alice.velh"), join(keys, "alice.velk")};
        bob = {join(keys, "bob.velh"), join(keys, "bob.velk")};
        ASSERT_EQ(kagisakusei(alice.secret.c_str(), alice.pub.c_str(), password), 0);
        ASSERT_EQ(kagisakusei(bob.secret.c_str(), bob.pub.c_str(), password), 0);
    }
    static void TearDownTestSuite() { remove_tree(root); }
    void SetUp() override {
        dir = fresh_folder(
            join(root, ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        boxes.clear();
        answers.clear();
        unscripted = 0;
        msgbox_set(record_box);
    }
    void TearDown() override {
        msgbox_set(nullptr);
        remove_tree(dir);
    }
    std::string at(const std::string &rel) const { return join(dir, rel); }
    inline static std::string root;
    std::string dir;
};

}  // namespace archive_files

#endif
