// Scratch folders and files for the tests that touch the file system.
#ifndef QUILL_TEST_FIXTURE_H
#define QUILL_TEST_FIXTURE_H

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace fs = std::filesystem;

// A native narrow path as a filesystem path. On Windows the bytes are the
// ANSI code page (932 here), which std::filesystem would not read as such.
inline fs::path to_path(const std::string &native) {
#if defined(_WIN32)
    const int n = MultiByteToWideChar(CP_ACP, 0, native.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, native.c_str(), -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return fs::path(wide);
#else
    return fs::path(native);
#endif
}

#if defined(_WIN32)
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A fresh, empty folder under the working folder, removed again at the end.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string &name) : path_(fs::current_path() / name) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto &e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    // Native path of a name inside the folder ("a/b" uses the platform's separator).
    std::string operator/(const std::string &rel) const {
        std::string p = path_.string() + kSep;
        for (char c : rel) p += c == '/' ? kSep : c;
        return p;
    }
    std::string str() const { return path_.string(); }

  private:
    fs::path path_;
};

inline void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(to_path(path), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string read_file(const std::string &path) {
    std::ifstream in(to_path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Relative names as the selection lists them, from "a/b" spellings.
inline std::string native(const std::string &rel) {
    std::string p;
    for (char c : rel) p += c == '/' ? kSep : c;
    return p;
}

#endif
