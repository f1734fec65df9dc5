// What the tests that drive whole archives share besides the file helpers:
// sample contents, key pairs and selections.
#ifndef QUILL_TEST_ARCHIVE_FILES_H
#define QUILL_TEST_ARCHIVE_FILES_H

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

}  // namespace archive_files

#endif
