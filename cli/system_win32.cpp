// The seam on Windows: native text in the ANSI code page as the desktop
// program's, the console through its wide functions, the key folders under
// the application data folder where the desktop program keeps them.
#include <windows.h>  // before every other system header
//
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lines.h"
#include "rules.h"
#include "system.h"

namespace sys {

namespace {

// Code page 932, the encoding of the program's and the library's texts.
constexpr UINT kTextPage = 932;

// The console's input mode while echo is off, restored by the control
// handler too: an interrupted password prompt must not leave the console
// silent.
HANDLE input_handle = INVALID_HANDLE_VALUE;
DWORD saved_mode = 0;
volatile LONG echo_off = 0;

BOOL WINAPI restore_console(DWORD) {
    if (InterlockedExchange(&echo_off, 0)) SetConsoleMode(input_handle, saved_mode);
    return FALSE;  // the next handler ends the process
}

void (*interrupt_cleanup)() = nullptr;

// Where questions are read: standard input, or the console once standard
// input carries data (INVALID_HANDLE_VALUE: there is none).
HANDLE question_handle = nullptr;

HANDLE question_input() {
    return question_handle ? question_handle : GetStdHandle(STD_INPUT_HANDLE);
}

// The run's own folder; empty when there is none.
std::string scratch_path;
CRITICAL_SECTION scratch_lock;

// Removes a file or a folder with everything in it; read-only files too,
// which a restored file may be.
void remove_tree(const std::string &path) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    if (attrs & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path.c_str(), attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") remove_tree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool process_alive(DWORD id) {
    // Only "no such process" lets its scratch folder go: one that may not
    // be asked about runs all the same.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool alive = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

// The folders ".quillseal-<process>.tmp" in folder whose process has ended.
void sweep_scratch(const std::string &folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + ".quillseal-*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        unsigned long id = 0;
        int used = 0;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            sscanf(found.cFileName, ".quillseal-%lu.tmp%n", &id, &used) != 1 ||
            found.cFileName[used] != '\0' || id == GetCurrentProcessId() ||
            process_alive(DWORD(id)))
            continue;
        remove_tree(folder + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Runs on a thread of its own, which the console starts for the event.
BOOL WINAPI interrupted(DWORD event) {
    restore_console(event);
    if (interrupt_cleanup) interrupt_cleanup();
    // A file the main thread still holds cannot go; a later run's sweep
    // removes it.
    EnterCriticalSection(&scratch_lock);
    if (!scratch_path.empty()) remove_tree(scratch_path);
    const bool keys = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    ExitProcess(keys ? 130 : 143);
    return TRUE;
}

HANDLE handle_of(Stream s) {
    return GetStdHandle(s == kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool is_console(HANDLE h) {
    DWORD mode;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode);
}

void write_bytes(HANDLE h, const char *bytes, size_t n) {
    while (n > 0) {
        DWORD done = 0;
        const DWORD chunk = DWORD(std::min<size_t>(n, 1 << 20));
        if (!WriteFile(h, bytes, chunk, &done, nullptr) || done == 0) return;
        bytes += done;
        n -= done;
    }
}

std::wstring widen(UINT page, const char *bytes, size_t n) {
    if (n == 0) return {};
    const int count = MultiByteToWideChar(page, 0, bytes, int(n), nullptr, 0);
    std::wstring wide(size_t(count > 0 ? count : 0), L'\0');
    if (count > 0) MultiByteToWideChar(page, 0, bytes, int(n), wide.data(), count);
    return wide;
}

// Wide text as native text; false when a character has no exact form in the
// ANSI code page (the best-fit mapping would turn it into another one).
bool narrow(const wchar_t *wide, int n, char *out, int cap, int *len) {
    const UINT page = GetACP();
    const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    *len = WideCharToMultiByte(page, flags, wide, n, out, cap, nullptr,
                               page == CP_UTF8 ? nullptr : &defaulted);
    return (*len > 0 || n == 0) && !defaulted;
}

}  // namespace

bool japanese_user() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

void on_interrupt(void (*cleanup)()) {
    InitializeCriticalSection(&scratch_lock);
    interrupt_cleanup = cleanup;
    SetConsoleCtrlHandler(interrupted, TRUE);
}

bool is_separator(char c) {
    return c == '\\' || c == '/' || c == ':';
}

size_t name_start(const std::string &path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i++) {
        if (IsDBCSLeadByte(BYTE(path[i])) && i + 1 < path.size()) {
            i++;
            continue;
        }
        if (is_separator(path[i])) start = i + 1;
    }
    return start;
}

bool arguments(int, char **, std::vector<std::string> *out, size_t *bad) {
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return false;
    bool ok = true;
    for (int i = 1; i < count && ok; i++) {
        const int n = int(wcslen(wide[i]));
        std::string arg(size_t(n) * 4 + 1, '\0');
        int len = 0;
        if (!narrow(wide[i], n, arg.data(), int(arg.size()), &len)) {
            *bad = size_t(i);
            ok = false;
        }
        arg.resize(size_t(len));
        out->push_back(arg);
    }
    LocalFree(wide);
    return ok;
}

bool is_terminal(Stream s) {
    return is_console(handle_of(s));
}

size_t terminal_columns(Stream s) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(handle_of(s), &info) && info.srWindow.Right > info.srWindow.Left)
        return size_t(info.srWindow.Right - info.srWindow.Left + 1);
    const char *columns = getenv("COLUMNS");
    const long n = columns ? strtol(columns, nullptr, 10) : 0;
    return n > 0 && n < 10000 ? size_t(n) : 80;
}

size_t text_columns(const std::string &text) {
    // Code page 932: a double-byte character is a wide one, and a single
    // byte (half-width katakana too) a narrow one.
    return text.size();
}

bool can_ask() {
    return is_console(question_input()) && is_console(handle_of(kErr));
}

void ask_on_console() {
    question_handle =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
}

void write(Stream s, Encoding e, const char *bytes, size_t n) {
    HANDLE h = handle_of(s);
    const UINT from = e == kText ? kTextPage : GetACP();
    if (is_console(h)) {
        if (GetConsoleOutputCP() == from) return write_bytes(h, bytes, n);
        const std::wstring wide = widen(from, bytes, n);
        DWORD done = 0;
        WriteConsoleW(h, wide.data(), DWORD(wide.size()), &done, nullptr);
        return;
    }
    if (from == GetACP()) return write_bytes(h, bytes, n);
    const std::wstring wide = widen(from, bytes, n);
    const int count =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string converted(size_t(count > 0 ? count : 0), '\0');
    if (count > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), converted.data(), count,
                            nullptr, nullptr);
    write_bytes(h, converted.data(), converted.size());
}

LineResult read_terminal_line(const char *prompt, char *buf, size_t cap, bool echo) {
    input_handle = question_input();
    if (!GetConsoleMode(input_handle, &saved_mode)) return kLineError;
    DWORD mode = saved_mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT;
    if (!echo) mode &= ~DWORD(ENABLE_ECHO_INPUT);
    SetConsoleCtrlHandler(restore_console, TRUE);
    InterlockedExchange(&echo_off, 1);
    SetConsoleMode(input_handle, mode);
    write(kErr, kText, prompt, strlen(prompt));
    // A native character takes at least one byte: cap wide characters bound
    // every line that can fit.
    std::wstring wide(cap, L'\0');
    size_t len = 0;
    bool any = false, too_long = false, failed = false;
    for (;;) {
        wchar_t c = 0;
        DWORD got = 0;
        if (!ReadConsoleW(input_handle, &c, 1, &got, nullptr)) {
            failed = true;
            break;
        }
        if (got == 0) break;
        any = true;
        if (c == L'\n') break;
        if (c == L'\r') continue;
        if (len < wide.size())
            wide[len++] = c;
        else
            too_long = true;
    }
    if (InterlockedExchange(&echo_off, 0)) SetConsoleMode(input_handle, saved_mode);
    SetConsoleCtrlHandler(restore_console, FALSE);
    if (!echo) write(kErr, kText, "\n", 1);
    LineResult result = kLineOk;
    int bytes = 0;
    if (failed) {
        result = kLineError;
    } else if (!any) {
        result = kLineEnd;
    } else if (too_long) {
        result = kLineTooLong;
    } else if (!narrow(wide.data(), int(len), buf, int(cap - 1), &bytes)) {
        // Too long for buf, or a character outside the ANSI code page.
        result = GetLastError() == ERROR_INSUFFICIENT_BUFFER ? kLineTooLong : kLineError;
    } else {
        buf[bytes] = '\0';
    }
    if (result != kLineOk) wipe(buf, cap);
    wipe(wide.data(), wide.size() * sizeof(wchar_t));
    return result;
}

LineResult read_fd_line(int fd, char *buf, size_t cap) {
    // Bytes as they are: no "\r\n" folded, no Ctrl-Z taken for the end.
    _setmode(fd, _O_BINARY);
    return assemble_line(
        [fd] {
            unsigned char c;
            const int n = _read(fd, &c, 1);
            return n == 1 ? int(c) : n == 0 ? kNoByte : kByteError;
        },
        buf, cap, false);
}

TextResult password_text(const char *text, size_t n, TextFrom from, char *out, size_t cap,
                         size_t *len) {
    *len = 0;
    if (from != kFromUtf8) {
        if (n > cap) return kTextTooLong;
        memcpy(out, text, n);
        *len = n;
        return kTextOk;
    }
    if (n == 0) return kTextOk;
    const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, int(n), nullptr, 0);
    if (count <= 0) return kTextInvalid;
    std::wstring wide(size_t(count), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, int(n), wide.data(), count);
    // Measured first, so that a character the code page lacks is told from
    // a text too long for the block.
    const UINT page = GetACP();
    const DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    BOOL *defaulted_out = page == CP_UTF8 ? nullptr : &defaulted;
    const int need =
        WideCharToMultiByte(page, flags, wide.data(), count, nullptr, 0, nullptr, defaulted_out);
    TextResult result = kTextOk;
    if (need <= 0 || defaulted) {
        result = kTextNotInPage;
    } else if (size_t(need) > cap) {
        result = kTextTooLong;
    } else {
        WideCharToMultiByte(page, flags, wide.data(), count, out, need, nullptr, nullptr);
        *len = size_t(need);
    }
    wipe(wide.data(), wide.size() * sizeof(wchar_t));
    return result;
}

void wipe(void *p, size_t n) {
    SecureZeroMemory(p, n);
}

bool key_base_folder(std::string *folder) {
    char path[kPathBytes] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE)) return false;
    *folder = std::string(path) + "\\" + rules::kKeyFolder + "\\";
    return folder->size() < kPathBytes;
}

bool make_folders(const std::string &path, bool) {
    // Each folder from the top down; the ones that exist (and a drive)
    // refuse to be created, which is no error. A trail byte 0x5C is no "\".
    for (size_t i = 0; i <= path.size(); i++) {
        if (i < path.size() && IsDBCSLeadByte(BYTE(path[i]))) {
            i++;
            continue;
        }
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
    return kind(path) == kFolder;
}

Kind kind(const std::string &path) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return kMissing;
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) return kFolder;
    if (attrs & FILE_ATTRIBUTE_DEVICE) return kOther;
    return kFile;
}

Readable readable(const std::string &path, char *start, size_t want, size_t *got) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_INVALID_DRIVE
                   ? kNoSuchFile
               : error == ERROR_ACCESS_DENIED ? kDenied
                                              : kUnreadable;
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) return kIsFolder;
    if (attrs & FILE_ATTRIBUTE_DEVICE) return kNotRegular;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_ACCESS_DENIED                                        ? kDenied
               : error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? kInUse
                                                                                   : kUnreadable;
    }
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    DWORD have = 0;
    bool failed = false;
    while (disk && start && have < want) {
        DWORD n = 0;
        if (!ReadFile(h, start + have, DWORD(want - have), &n, nullptr)) failed = true;
        if (failed || n == 0) break;
        have += n;
    }
    CloseHandle(h);
    if (got) *got = have;
    return !disk ? kNotRegular : failed ? kUnreadable : kReads;
}

bool full_path(const std::string &typed, std::string *out) {
    if (typed.empty()) return false;
    char path[kPathBytes];
    const DWORD n = GetFullPathNameA(typed.c_str(), sizeof path, path, nullptr);
    if (n == 0 || n >= sizeof path) return false;
    std::string result(path, n);
    // "C:\" keeps its separator; a folder named with one at its end does not.
    while (result.size() > 3 && result.back() == '\\' &&
           !IsDBCSLeadByte(BYTE(result[result.size() - 2])))
        result.pop_back();
    *out = result;
    return true;
}

std::vector<std::string> names_in(const std::string &folder, const char *ext) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*" + ext).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    const size_t ext_len = strlen(ext);
    do {
        const std::string name = found.cFileName;
        // The pattern also matches on short names; only the real name counts.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= ext_len ||
            lstrcmpiA(name.c_str() + name.size() - ext_len, ext) != 0)
            continue;
        names.push_back(name.substr(0, name.size() - ext_len));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> entries(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool rename_file(const std::string &from, const std::string &to, bool replace) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0)) != 0;
}

bool copy_file(const std::string &from, const std::string &to) {
    // Named as the library names its temporary files, so that what a run
    // ended outright leaves is removed by the next run that writes here.
    const std::string temp = to.substr(0, name_start(to)) + ".quillseal-" +
                             std::to_string(GetCurrentProcessId()) + "-0.part";
    if (!CopyFileA(from.c_str(), temp.c_str(), TRUE)) return false;
    SetFileAttributesA(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool flushed = h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (flushed && rename_file(temp, to, true)) return true;
    DeleteFileA(temp.c_str());
    return false;
}

namespace {

// The bytes of one handle to another, to the end of the first (a pipe's
// writer that has gone is its end).
Copy copy_handle(HANDLE from, HANDLE to) {
    std::string buf(1 << 16, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buf.data(), DWORD(buf.size()), &got, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE ? kCopied : kSourceFailed;
        if (got == 0) return kCopied;
        for (DWORD at = 0; at < got;) {
            DWORD done = 0;
            if (!WriteFile(to, buf.data() + at, got - at, &done, nullptr) || done == 0)
                return kTargetFailed;
            at += done;
        }
    }
}

}  // namespace

Copy save_input(const std::string &path) {
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return kTargetFailed;
    const Copy copied = copy_handle(GetStdHandle(STD_INPUT_HANDLE), out);
    return CloseHandle(out) || copied != kCopied ? copied : kTargetFailed;
}

Copy send_file(const std::string &path) {
    HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return kSourceFailed;
    const Copy copied = copy_handle(in, GetStdHandle(STD_OUTPUT_HANDLE));
    CloseHandle(in);
    return copied;
}

bool make_scratch(const std::string &parent, std::string *path) {
    std::string base = parent;
    if (base.empty()) {
        char temp[kPathBytes] = {};
        const DWORD n = GetTempPathA(sizeof temp, temp);
        if (n == 0 || n >= sizeof temp) return false;
        base = temp;
    }
    sweep_scratch(base);
    const std::string folder =
        base + ".quillseal-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    if (!scratch_path.empty() || folder.size() + 2 > kPathBytes) return false;
    EnterCriticalSection(&scratch_lock);
    scratch_path = folder;
    LeaveCriticalSection(&scratch_lock);
    // A name already taken is a run's of this process number that ended
    // outright: removed, never used.
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        remove_tree(folder);
        if (!CreateDirectoryA(folder.c_str(), nullptr)) {
            EnterCriticalSection(&scratch_lock);
            scratch_path.clear();
            LeaveCriticalSection(&scratch_lock);
            return false;
        }
    }
    *path = folder + "\\";
    return true;
}

void remove_scratch() {
    EnterCriticalSection(&scratch_lock);
    if (!scratch_path.empty()) remove_tree(scratch_path);
    scratch_path.clear();
    LeaveCriticalSection(&scratch_lock);
}

bool local_time(int64_t seconds, std::tm *out) {
    // Windows file time: 100-nanosecond intervals since 1601.
    const int64_t ticks = (seconds + 11644473600LL) * 10000000LL;
    if (ticks < 0) return false;
    FILETIME utc = {DWORD(uint64_t(ticks)), DWORD(uint64_t(ticks) >> 32)}, local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    *out = std::tm{};
    out->tm_year = st.wYear - 1900;
    out->tm_mon = st.wMonth - 1;
    out->tm_mday = st.wDay;
    out->tm_hour = st.wHour;
    out->tm_min = st.wMinute;
    out->tm_sec = st.wSecond;
    return true;
}

}  // namespace sys
