// Files and folders for the tests, by native narrow path as the library takes
// them: on Windows bytes of the ANSI code page (932 here), which
// std::filesystem would not read as such, elsewhere UTF-8. A file that cannot
// be written or read throws, which fails the test that needed it (and ends
// the interop program).
#ifndef QUILL_TEST_FILES_H
#define QUILL_TEST_FILES_H

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <stdlib.h>  // mkdtemp
#endif

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

#if defined(_WIN32)
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// A native narrow path as a filesystem path.
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

// A filesystem path as a native narrow path.
inline std::string to_native(const fs::path &path) {
#if defined(_WIN32)
    const std::wstring wide = path.wstring();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), n, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
#else
    return path.string();
#endif
}

// A relative name spelt "a/b" with the platform's separator.
inline std::string native(const std::string &rel) {
    std::string p = rel;
    std::replace(p.begin(), p.end(), '/', kSep);
    return p;
}

inline std::string join(const std::string &folder, const std::string &rel) {
    return folder + kSep + native(rel);
}

inline Bytes bytes_of(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline void write_file(const std::string &path, const Bytes &data) {
    std::ofstream out(to_path(path), std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline void write_text(const std::string &path, std::string_view text) {
    write_file(path, bytes_of(text));
}

inline Bytes read_file(const std::string &path) {
    std::ifstream in(to_path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::string read_text(const std::string &path) {
    const Bytes data = read_file(path);
    return std::string(data.begin(), data.end());
}

inline bool exists(const std::string &path) {
    std::error_code ec;
    return fs::exists(to_path(path), ec);
}

// Every path under a folder, relative to it with "/" between names, sorted:
// for "nothing else was created".
inline std::vector<std::string> listing(const std::string &folder) {
    const fs::path base = to_path(folder);
    std::vector<std::string> all;
    for (const auto &e : fs::recursive_directory_iterator(base)) {
        const fs::path rel = fs::relative(e.path(), base);
        all.push_back(to_native(rel.generic_string<fs::path::value_type>()));
    }
    std::sort(all.begin(), all.end());
    return all;
}

// Gives the owner write permission on a folder and everything below it.
inline void make_writable(const std::string &folder) {
    std::error_code ec;
    const fs::path base = to_path(folder);
    fs::permissions(base, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(base, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
}

// Removes a folder with everything in it, also what was made read-only.
inline void remove_tree(const std::string &folder) {
    make_writable(folder);
    std::error_code ec;
    fs::remove_all(to_path(folder), ec);
}

// An empty folder at path, whatever was there before; returns path.
inline std::string fresh_folder(const std::string &path) {
    remove_tree(path);
    fs::create_directories(to_path(path));
    return path;
}

// A fresh, empty folder under the working folder, removed again at the end.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string &name)
        : path_(fresh_folder(join(to_native(fs::current_path()), name))) {}
    ~ScratchDir() { remove_tree(path_); }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    // Native path of a name inside the folder, spelt "a/b".
    std::string operator/(const std::string &rel) const { return join(path_, rel); }
    const std::string &str() const { return path_; }

#if !defined(_WIN32)
    // A fresh folder of a name of its own in the system's temporary folder,
    // which every user may enter: for a part of a test that runs as another
    // user, whom the working folder may shut out (a checkout in a home
    // folder only its owner can enter).
    static ScratchDir open_to_all(const std::string &name) {
        std::string path = join(to_native(fs::temp_directory_path()), name + ".XXXXXX");
        if (!mkdtemp(path.data())) throw std::runtime_error("cannot make a folder for " + name);
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        return ScratchDir(Made{}, path);
    }
#endif

  private:
    struct Made {};
    ScratchDir(Made, const std::string &path) : path_(path) {}
    std::string path_;
};

#endif
