// Files as byte vectors by narrow path, for the tests that drive whole
// archives: the Windows build passes code page 932 bytes, as the library does.
#ifndef QUILL_TEST_ARCHIVE_FILES_H
#define QUILL_TEST_ARCHIVE_FILES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "quillcore.h"

namespace archive_files {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

#ifdef _WIN32
constexpr char kPathSep = '\\';
#else
constexpr char kPathSep = '/';
#endif

inline std::string join(const std::string &a, const std::string &b) {
    return a + kPathSep + b;
}

inline Bytes bytes_of(const std::string &s) {
    return Bytes(s.begin(), s.end());
}

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

inline void write_file(const std::string &path, const Bytes &data) {
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!data.empty()) {
        EXPECT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
    }
    EXPECT_EQ(std::fclose(f), 0);
}

inline Bytes read_file(const std::string &path) {
    Bytes out;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        ADD_FAILURE() << "cannot open " << path;
        return out;
    }
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

inline bool exists(const std::string &path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// Every path under a folder, for "nothing else was created".
inline std::vector<std::string> listing(const std::string &folder) {
    std::vector<std::string> all;
    for (const auto &e : fs::recursive_directory_iterator(folder))
        all.push_back(fs::relative(e.path(), folder).generic_string());
    std::sort(all.begin(), all.end());
    return all;
}

inline void make_writable(const std::string &folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
}

// Removes a folder with everything in it, also files restored read-only.
inline void remove_tree(const std::string &folder) {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    make_writable(folder);
    fs::remove_all(folder, ec);
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

}  // namespace archive_files

#endif
