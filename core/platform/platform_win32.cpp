// Windows side of the platform seam: the ANSI file interface, so that paths
// are bytes of the system's code page (932 on a Japanese system), as are the
// names inside archives.
#include <windows.h>

#include <wincrypt.h>  // needs the types of windows.h

#include <cstring>
#include <new>
#include <string>

#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace quill::plat {

int random_bytes(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    HCRYPTPROV prov = 0;
    const char *name = "Microsoft Enhanced Cryptographic Provider v1.0";
    if (!CryptAcquireContextA(&prov, nullptr, name, PROV_RSA_FULL, 0) &&
        !CryptAcquireContextA(&prov, nullptr, name, PROV_RSA_FULL, CRYPT_NEWKEYSET))
        return 1;
    // A failed fill must not pass for random bytes: the caller would hand out
    // predictable secrets.
    BOOL filled = CryptGenRandom(prov, DWORD(length), buf);
    CryptReleaseContext(prov, 0);
    return filled ? 0 : 1;
}

uint32_t tick_count() {
    return GetTickCount();
}

// ---- files ----------------------------------------------------------------

struct File {
    HANDLE h;
};

namespace {

File *wrap(HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    File *f = new (std::nothrow) File{h};
    if (!f) CloseHandle(h);
    return f;
}

uint64_t join(const FILETIME &t) {
    return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

FILETIME split(uint64_t t) {
    FILETIME ft;
    ft.dwLowDateTime = DWORD(t);
    ft.dwHighDateTime = DWORD(t >> 32);
    return ft;
}

}  // namespace

File *open_read(const char *path) {
    return wrap(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

File *create_new(const char *path) {
    return wrap(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void close(File *f) {
    if (!f) return;
    CloseHandle(f->h);
    delete f;
}

int64_t read(File *f, void *buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        const DWORD want = DWORD(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD got = 0;
        if (!ReadFile(f->h, static_cast<char *>(buf) + done, want, &got, nullptr)) return -1;
        if (got == 0) break;  // end of file
        done += got;
    }
    return int64_t(done);
}

bool write(File *f, const void *buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        const DWORD want = DWORD(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD put = 0;
        if (!WriteFile(f->h, static_cast<const char *>(buf) + done, want, &put, nullptr) ||
            put == 0)
            return false;
        done += put;
    }
    return true;
}

int64_t size(File *f) {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(f->h, &li)) return -1;
    return li.QuadPart;
}

bool get_times(File *f, FileTimes *t) {
    FILETIME c, a, w;
    if (!GetFileTime(f->h, &c, &a, &w)) return false;
    t->creation = join(c);
    t->access = join(a);
    t->write = join(w);
    return true;
}

bool set_times(File *f, const FileTimes &t) {
    const FILETIME c = split(t.creation), a = split(t.access), w = split(t.write);
    return SetFileTime(f->h, &c, &a, &w) != 0;
}

// ---- paths ------------------------------------------------------------------

uint32_t attributes(const char *path) {
    return GetFileAttributesA(path);
}

bool set_attributes(const char *path, uint32_t attrs) {
    return SetFileAttributesA(path, attrs) != 0;
}

bool remove_file(const char *path) {
    return DeleteFileA(path) != 0;
}

// MakeSureDirectoryPathExists looks for "\" byte by byte, so a character
// whose second byte is 0x5C (表, ソ) would split a name and leave a stray
// folder behind; this walk steps over double-byte characters whole.
void make_dirs(const char *path) {
    std::string part;
    bool named = false;  // part ends in a folder name, not in "\" or a drive
    for (const char *p = path; *p; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
            part += *p++;
            part += *p;
            named = true;
            continue;
        }
        const bool separator = *p == '\\' || *p == '/';
        // Folders that exist already are fine.
        if (separator && named) CreateDirectoryA(part.c_str(), nullptr);
        part += *p;
        named = !separator && *p != ':';
    }
}

int64_t file_size(const char *path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return int64_t(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

int seek_stream(std::FILE *file, int64_t pos) {
    return _fseeki64(file, pos, SEEK_SET);
}

// ---- folder enumeration -------------------------------------------------------

struct DirSearch {
    HANDLE h;
    WIN32_FIND_DATAA found;
    bool pending;  // found holds an entry not yet handed out
};

DirSearch *dir_open(const char *folder) {
    std::string pattern = std::string(folder) + "*";
    DirSearch *s = new (std::nothrow) DirSearch{};
    if (!s) return nullptr;
    s->h = FindFirstFileA(pattern.c_str(), &s->found);
    if (s->h == INVALID_HANDLE_VALUE) {
        delete s;
        return nullptr;
    }
    s->pending = true;
    return s;
}

bool dir_next(DirSearch *s, DirEntry *e) {
    if (!s->pending && !FindNextFileA(s->h, &s->found)) return false;
    s->pending = false;
    strcpy(e->name, s->found.cFileName);  // both MAX_PATH bytes
    e->is_dir = (s->found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

void dir_close(DirSearch *s) {
    if (!s) return;
    FindClose(s->h);
    delete s;
}

// ---- names inside archives --------------------------------------------------

namespace {

// Re-encodes between two code pages through UTF-16; false when a character
// has no exact counterpart. On a Japanese system both are 932 and the bytes
// pass unchanged.
bool recode(UINT from, UINT to, const char *in, std::string *out) {
    if (from == to) {
        *out = in;
        return true;
    }
    const int wide_len = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in, -1, nullptr, 0);
    if (wide_len <= 0) return false;
    std::wstring wide(size_t(wide_len), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in, -1, wide.data(), wide_len);
    BOOL lossy = FALSE;
    const int len = WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0,
                                        nullptr, &lossy);
    if (len <= 0 || lossy) return false;
    std::string result(size_t(len), '\0');
    WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, result.data(), len, nullptr,
                        &lossy);
    if (lossy) return false;
    result.resize(size_t(len) - 1);  // the NUL
    *out = result;
    return true;
}

NameResult finish(bool ok, const std::string &s, char *out, size_t cap) {
    if (!ok) return kNameUnrepresentable;
    if (s.size() + 1 > cap) return kNameTooLong;
    memcpy(out, s.c_str(), s.size() + 1);
    return kNameOk;
}

}  // namespace

NameResult to_archive_name(const char *native, char *out, size_t cap) {
    std::string s;
    const bool ok = recode(GetACP(), 932, native, &s);
    return finish(ok, s, out, cap);
}

NameResult from_archive_name(const char *name, char *out, size_t cap) {
    std::string s;
    const bool ok = recode(932, GetACP(), name, &s);
    return finish(ok, s, out, cap);
}

bool is_lead_byte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}

// ---- message boxes ------------------------------------------------------------

namespace {

// The hook is installed only while one conflict prompt is shown.
HHOOK hook = nullptr;

}  // namespace

int message_box(const char *text, const char *caption, unsigned type) {
    if ((type & MB_TYPEMASK) != MB_YESNOCANCEL) return MessageBoxA(nullptr, text, caption, type);
    // A hook that cannot be installed leaves the system's own labels, with
    // the same meaning (Yes overwrite, No another name, Cancel stop).
    hook = SetWindowsHookExA(WH_CBT, reinterpret_cast<HOOKPROC>(MsgBoxHookProc), nullptr,
                             GetCurrentThreadId());
    const int answer = MessageBoxA(nullptr, text, caption, type);
    if (hook) UnhookWindowsHookEx(hook);
    hook = nullptr;
    return answer;
}

}  // namespace quill::plat

// Labels the prompt's buttons on every notification; on windows without such
// buttons SetDlgItemTextA does nothing.
intptr_t MsgBoxHookProc(int code, uintptr_t wparam, intptr_t lparam) {
    if (code >= 0) {
        HWND box = reinterpret_cast<HWND>(wparam);
        SetDlgItemTextA(box, IDYES, quill::msg::kOverwrite);
        SetDlgItemTextA(box, IDNO, quill::msg::kSaveAs);
        SetDlgItemTextA(box, IDCANCEL, quill::msg::kStop);
    }
    return CallNextHookEx(quill::plat::hook, code, WPARAM(wparam), LPARAM(lparam));
}
