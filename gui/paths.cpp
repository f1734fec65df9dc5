// Paths, the command line and the user's folders, scanned as code page 932
// text: a lead byte and its trail byte are one character, so a trail byte
// 0x5C is never a "\" and never a blank or a quote.

#include "app.h"  // windows.h comes before every other system header

#include <shlobj.h>

#include <cstring>
#include <string>

#include "strings.h"

namespace {

// Copies n bytes of src into a 260-byte part, cut to fit.
void set_part(char *part, const char *src, size_t n) {
    if (n >= size_t(kPathBytes)) n = kPathBytes - 1;
    memcpy(part, src, n);
    part[n] = '\0';
}

}  // namespace

void split_path(const char *path, PathParts *parts) {
    memset(parts, 0, sizeof *parts);
    if (!path || !path[0] || path[1] != ':' || path[2] != '\\') return;
    const size_t len = strlen(path);
    size_t last_sep = 2, last_dot = len;
    for (size_t i = 2; i < len; i++) {
        if (IsDBCSLeadByte(BYTE(path[i])) && i + 1 < len) {
            i++;
            continue;
        }
        if (path[i] == '\\') {
            last_sep = i;
            last_dot = len;  // a "." before the last "\" belongs to a folder
        } else if (path[i] == '.') {
            last_dot = i;
        }
    }
    set_part(parts->drive, path, 2);
    set_part(parts->folder, path + 2, last_sep - 1);
    set_part(parts->name, path + last_sep + 1, last_dot - last_sep - 1);
    set_part(parts->ext, path + last_dot, len - last_dot);
}

std::string display_name(const char *path) {
    PathParts parts;
    split_path(path, &parts);
    return std::string(parts.name) + parts.ext;
}

bool to_native(const std::wstring &wide, std::string *out) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()),
                                      nullptr, 0, nullptr, &lossy);
    out->assign(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()),
                            out->data(), n, nullptr, &lossy);
    return !lossy && (n > 0 || wide.empty());
}

std::string approximate(const std::wstring &wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

bool get_wide_argument(int n, std::wstring *token) {
    const wchar_t *p = GetCommandLineW();
    for (int index = 0;; index++) {
        while (*p == L' ') p++;
        if (!*p) return false;
        // One token: quotes switch in and out and are not copied; a blank
        // outside quotes ends a token that has characters.
        std::wstring wide;
        bool quoted = false;
        for (; *p; p++) {
            if (*p == L'"') {
                quoted = !quoted;
                continue;
            }
            if (*p == L' ' && !quoted) {
                if (!wide.empty()) break;
                continue;
            }
            wide += *p;
        }
        if (index == n) {
            *token = wide;
            return true;
        }
    }
}

Token native_path(const std::wstring &wide, char *path, std::string *shown) {
    memset(path, 0, kPathBytes);
    std::string native;
    const bool exact = to_native(wide, &native);
    if (shown) *shown = exact ? native : approximate(wide);
    if (!exact) return kTokenNotNative;
    // Never cut short: a shorter path could name some other file.
    if (native.size() >= size_t(kPathBytes)) return kTokenTooLong;
    memcpy(path, native.c_str(), native.size() + 1);
    return kToken;
}

Token get_argument(int n, char *token, std::string *shown) {
    std::wstring wide;
    if (get_wide_argument(n, &wide)) return native_path(wide, token, shown);
    token[0] = '\0';
    return kNoToken;
}

bool item_acceptable(Token got, const char *path, const std::string &first_folder,
                     const std::string &shown) {
    const char *refusal = got == kTokenTooLong     ? text::kPathTooLong
                          : got == kTokenNotNative ? text::kArgumentNotNative
                          : !first_folder.empty() && folder_part(path) != first_folder
                              ? text::kNotOneFolder
                              : nullptr;
    if (!refusal) return true;
    message(app.main, (std::string(refusal) + "\n" + shown).c_str(), text::kCaution);
    return false;
}

std::string folder_part(const char *path) {
    size_t start = 0;
    for (size_t i = 0; path[i]; i++) {
        if (IsDBCSLeadByte(BYTE(path[i])) && path[i + 1]) {
            i++;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
    }
    return std::string(path, start);
}

std::string special_folder(int csidl) {
    char path[kPathBytes] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return {};
    return path;
}

std::string appdata_folder() {
    return special_folder(CSIDL_APPDATA);
}

std::string key_folder(rules::Kind kind) {
    return appdata_folder() + "\\" + rules::kKeyFolder + "\\" +
           (kind == rules::kSecretKey ? rules::kSecretKeyFolder : rules::kPublicKeyFolder) + "\\";
}

// The old text may be a password: it is wiped, not merely overwritten.
void read_field(HWND window, int id, void *buffer, int limit) {
    SecureZeroMemory(buffer, size_t(limit));
    GetDlgItemTextA(window, id, static_cast<char *>(buffer), limit);
}
