// The rules that the desktop program and quillseal must agree on, written
// once: what a user ID and a password may be, the names of the per-user key
// folders and the three kinds of file. The password made from a file is in
// digest_text.h, which needs the library.
#ifndef QUILL_COMMON_RULES_H
#define QUILL_COMMON_RULES_H

#include <cstddef>
#include <cstring>

namespace rules {

// ---- user IDs and passwords ---------------------------------------------------

// A user ID names the two key files. It holds at most this many bytes (the
// key pair window reads its field with a limit of 160) ...
constexpr size_t kUserIdMaxBytes = 159;
// ... and none of the bytes a file name cannot hold, each byte counted on its
// own, so that a double-byte character whose second byte is one of them (表
// is 0x95 0x5C) is refused as well.
constexpr char kUserIdForbidden[] = "|\\/:*?\"<>";
inline bool user_id_forbidden(const char *id) {
    return std::strpbrk(id, kUserIdForbidden) != nullptr;
}

// A new key pair's password has at least this many bytes.
constexpr size_t kPasswordMinBytes = 8;

// ---- the key folders ------------------------------------------------------------

// Below the per-user data folder: "quillseal", holding "himitu" for secret
// key files (USERID.velh) and "koukai" for public key files (USERID.velk).
constexpr char kKeyFolder[] = "quillseal";
constexpr char kSecretKeyFolder[] = "himitu";
constexpr char kPublicKeyFolder[] = "koukai";

// ---- the three kinds of file ------------------------------------------------------

struct FileType {
    const char *extension;    // with its full stop
    const char *prog_id;      // the registry's name for the kind
    const char *description;  // as Explorer and the file dialogs show it
    int icon;                 // index of its icon in the desktop program's file
};

#define QUILL_FILE_TYPE(extension, prog_id, description, icon) \
    {extension, prog_id, description, icon},
inline constexpr FileType kFileTypes[] = {
#include "file_types.def"
};
#undef QUILL_FILE_TYPE

// The kinds in the list's order.
enum Kind { kSecretKey, kPublicKey, kArchive };
inline constexpr const char *extension(Kind kind) {
    return kFileTypes[kind].extension;
}

// True when path ends in the kind's extension, in any case (TARO.VELH is a
// secret key file too: Windows names ignore case), and holds more than it.
// The extension is plain ASCII behind a full stop, which no double-byte
// character contains, so comparing the last bytes is exact.
inline bool has_extension(const char *path, Kind kind) {
    const char *ext = extension(kind);
    const size_t len = std::strlen(path), n = std::strlen(ext);
    if (len <= n) return false;
    for (size_t i = 0; i < n; i++) {
        char c = path[len - n + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != ext[i]) return false;
    }
    return true;
}

}  // namespace rules

#endif
