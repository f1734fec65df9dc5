// Paths, the command line and the user's folders, scanned as code page 932
// text: a lead byte and its trail byte are one character, so a trail byte
// 0x5C is never a "\" and never a blank or a quote.

#include "app.h"  // windows.h comes before every other system header

#include <shlobj.h>

#include <cstring>

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

bool get_argument(int n, char *token, bool *too_long) {
    const char *p = GetCommandLineA();
    for (int index = 0;; index++) {
        while (*p == ' ') p++;
        if (!*p) return false;
        // One token: quotes switch in and out and are not copied; a blank
        // outside quotes ends a token that has characters. A token longer
        // than 259 bytes comes back empty and flagged, never cut short.
        char buf[kPathBytes];
        size_t len = 0, chars = 0;
        bool quoted = false, overflow = false;
        for (; *p; p++) {
            if (*p == '"') {
                quoted = !quoted;
                continue;
            }
            if (*p == ' ' && !quoted) {
                if (chars > 0) break;
                continue;
            }
            const size_t width = IsDBCSLeadByte(BYTE(*p)) && p[1] ? 2 : 1;
            if (len + width < sizeof buf) {
                memcpy(buf + len, p, width);
                len += width;
            } else {
                overflow = true;
            }
            chars++;
            p += width - 1;
        }
        if (index == n) {
            if (overflow) len = 0;
            if (too_long) *too_long = overflow;
            buf[len] = '\0';
            memcpy(token, buf, len + 1);
            return true;
        }
    }
}

std::string special_folder(int csidl) {
    char path[kPathBytes] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return {};
    return path;
}

std::string appdata_folder() {
    return special_folder(CSIDL_APPDATA);
}

// The old text may be a password: it is wiped, not merely overwritten.
void read_field(HWND window, int id, void *buffer, int limit) {
    SecureZeroMemory(buffer, size_t(limit));
    GetDlgItemTextA(window, id, static_cast<char *>(buffer), limit);
}
