// Windows side of the platform seam: the ANSI file interface, so that paths
// are bytes of the system's code page (932 on a Japanese system), as are the
// names inside archives.
#include <windows.h>

#include <bcrypt.h>  // needs the types of windows.h

#include <cstring>
#include <new>
#include <string>

#include "characters.h"
#include "cp932.h"
#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace quill::plat {

// ---- why a call failed ---------------------------------------------------

namespace {

thread_local Failure failure = kFailUnknown;

// Records why the call that set the thread's last error failed.
void record() {
    switch (GetLastError()) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            failure = kFailNoSpace;
            break;
        case ERROR_FILE_TOO_LARGE:
            failure = kFailTooLarge;
            break;
        case ERROR_WRITE_PROTECT:
            failure = kFailReadOnly;
            break;
        case ERROR_ACCESS_DENIED:
            failure = kFailDenied;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            failure = kFailInUse;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            failure = kFailMissing;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
        case ERROR_DIR_NOT_EMPTY:
            failure = kFailExists;
            break;
        case ERROR_DIRECTORY:
            failure = kFailNotFile;
            break;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            failure = kFailIO;
            break;
        default:
            failure = kFailUnknown;
    }
}

}  // namespace

Failure last_failure() {
    return failure;
}

int random_bytes(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    // The system's preferred generator needs no handle to open or close. A
    // failed fill must not pass for random bytes: the caller would hand out
    // predictable secrets.
    const NTSTATUS status =
        BCryptGenRandom(nullptr, buf, ULONG(length), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return BCRYPT_SUCCESS(status) ? 0 : 1;
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
    if (h == INVALID_HANDLE_VALUE) {
        record();
        return nullptr;
    }
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

namespace {

// Keeps a handle only for a file on disk: a device name such as NUL or CON,
// a pipe or a console opens too, but has no contents of its own.
File *open_disk_file(const char *path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE h =
        CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_DISK) {
        failure = kFailNotFile;
        CloseHandle(h);
        return nullptr;
    }
    return wrap(h);
}

}  // namespace

File *open_read(const char *path) {
    return open_disk_file(path, GENERIC_READ, 0, OPEN_EXISTING);
}

File *open_read_shared(const char *path) {
    return open_disk_file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

File *open_append(const char *path) {
    File *f = open_disk_file(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    LARGE_INTEGER zero{};
    if (f && !SetFilePointerEx(f->h, zero, nullptr, FILE_END)) {
        close(f);
        return nullptr;
    }
    return f;
}

// ---- folders held open -----------------------------------------------------

// Windows resolves every name by its path, so a folder held open is its
// path, ending in a separator; each component was checked as it was entered.
struct Folder {
    std::string path;
};

namespace {

// The path of name inside the folder in, or name itself without one.
std::string in_folder(const Folder *in, const char *name) {
    return in ? in->path + name : std::string(name);
}

}  // namespace

Folder *folder_open(const char *path) {
    const DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        record();
        return nullptr;
    }
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = kFailNotFile;
        return nullptr;
    }
    return new (std::nothrow) Folder{path};
}

// Each component is looked at before it is used: a reparse point (a symbolic
// link or a junction) would lead the path out of the destination.
DirsResult folder_enter(Folder *parent, const char *name, bool *created, Folder **out, bool make) {
    const std::string path = in_folder(parent, name);
    *created = false;
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES && make) {
        if (CreateDirectoryA(path.c_str(), nullptr)) {
            *created = true;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            record();
            return kDirsFailed;
        }
        attrs = GetFileAttributesA(path.c_str());
    }
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        record();
        return kDirsFailed;
    }
    if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) return kDirsLink;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return kDirsNotFolder;
    *out = new (std::nothrow) Folder{path + '\\'};
    if (*out) return kDirsMade;
    failure = kFailUnknown;
    return kDirsFailed;
}

void folder_close(Folder *f) {
    delete f;
}

File *create_private(const char *path, Folder *in) {
    // Shared with nobody for reading or writing; deleting is allowed, so that
    // the cleanup after an interruption can remove it while it is open.
    return wrap(CreateFileA(in_folder(in, path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool make_public(File *, uint32_t) {
    // A new file takes the folder's permissions as it is made; its attribute
    // word waits for its final name (a read-only file could not be removed).
    return true;
}

bool close(File *f) {
    if (!f) return true;
    const bool closed = CloseHandle(f->h) != 0;
    if (!closed) record();
    delete f;
    return closed;
}

int64_t read(File *f, void *buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        const DWORD want = DWORD(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD got = 0;
        if (!ReadFile(f->h, static_cast<char *>(buf) + done, want, &got, nullptr)) {
            record();
            return -1;
        }
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
        if (!WriteFile(f->h, static_cast<const char *>(buf) + done, want, &put, nullptr)) {
            record();
            return false;
        }
        if (put == 0) {
            failure = kFailNoSpace;
            return false;
        }
        done += put;
    }
    return true;
}

int64_t size(File *f) {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(f->h, &li)) return -1;
    return li.QuadPart;
}

bool seek(File *f, int64_t pos) {
    LARGE_INTEGER to;
    to.QuadPart = pos;
    return SetFilePointerEx(f->h, to, nullptr, FILE_BEGIN) != 0;
}

bool describe(File *f, const char *, FileInfo *info) {
    BY_HANDLE_FILE_INFORMATION i;
    if (!GetFileInformationByHandle(f->h, &i)) return false;
    info->size = int64_t(uint64_t(i.nFileSizeHigh) << 32 | i.nFileSizeLow);
    info->times.creation = join(i.ftCreationTime);
    info->times.access = join(i.ftLastAccessTime);
    info->times.write = join(i.ftLastWriteTime);
    info->attributes = i.dwFileAttributes;
    return true;
}

bool set_times(File *f, const FileTimes &t) {
    const FILETIME c = split(t.creation), a = split(t.access), w = split(t.write);
    return SetFileTime(f->h, &c, &a, &w) != 0;
}

// ---- paths ------------------------------------------------------------------

uint32_t attributes(const char *path, Folder *in) {
    return GetFileAttributesA(in_folder(in, path).c_str());
}

bool exists(const char *path, Folder *in) {
    // A symbolic link's own attributes: it is not followed.
    return GetFileAttributesA(in_folder(in, path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool set_attributes(const char *path, uint32_t attrs) {
    return SetFileAttributesA(path, attrs) != 0;
}

bool remove_file(const char *path) {
    if (DeleteFileA(path)) return true;
    record();
    return false;
}

namespace {

// Every MoveFileEx is written through: the call returns once the change is
// on the disk, unless the flushes are off.
DWORD written_through() {
    return syncing() ? MOVEFILE_WRITE_THROUGH : 0;
}

}  // namespace

bool rename_new(const char *from, const char *to, Folder *to_in) {
    // Without MOVEFILE_REPLACE_EXISTING.
    if (MoveFileExA(from, in_folder(to_in, to).c_str(), written_through())) return true;
    record();
    return false;
}

bool rename_replace(const char *from, const char *to, Folder *to_in, const char *aside) {
    const std::string target = in_folder(to_in, to);
    const DWORD attrs = GetFileAttributesA(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        failure = kFailNotFile;
        return false;
    }
    // ReplaceFile gives the new file the old one's attributes and security
    // descriptor, and keeps the old file under aside when asked to. A link
    // (a reparse point) is replaced by a plain rename, never followed.
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (ReplaceFileA(target.c_str(), from, aside, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                         nullptr)) {
            // Not every ReplaceFile carries the attributes over (Wine's does
            // not): set them, as they were, whatever it did.
            SetFileAttributesA(target.c_str(), attrs);
            return true;
        }
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            record();
            return false;
        }
    }
    // MOVEFILE_REPLACE_EXISTING replaces a file, never a folder.
    if (MoveFileExA(from, target.c_str(), MOVEFILE_REPLACE_EXISTING | written_through()))
        return true;
    record();
    return false;
}

bool replaceable(const char *path) {
    const DWORD attrs = GetFileAttributesA(path);
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return true;
    failure = kFailNotFile;
    return false;
}

bool put_back(const char *aside, const char *to) {
    if (MoveFileExA(aside, to, MOVEFILE_REPLACE_EXISTING | written_through())) return true;
    record();
    return false;
}

bool remove_folder(const char *path) {
    if (RemoveDirectoryA(path)) return true;
    record();
    return false;
}

int64_t file_size(const char *path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return int64_t(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

bool readable(const char *path, const DirSearch *) {
    // Opened as the encryption opens it, without sharing: a file that another
    // program holds is found now, not halfway through the archive.
    HANDLE h =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        record();
        return false;
    }
    CloseHandle(h);
    return true;
}

namespace {

// The identity of an existing file: its volume and its index there. A handle
// without access rights asks for attributes only, so a file that another
// handle holds without sharing (the archive being read) can still be asked.
bool file_identity(const char *path, BY_HANDLE_FILE_INFORMATION *info) {
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

bool same_file(const char *a, const char *b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return file_identity(a, &ia) && file_identity(b, &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

// ---- stable storage -------------------------------------------------------------

bool syncing() {
    static const bool on = [] {
        char value[4];
        const DWORD n = GetEnvironmentVariableA("QUILLSEAL_NO_SYNC", value, sizeof value);
        return !(n == 1 && value[0] == '1');
    }();
    return on;
}

bool flush_file(File *f, Flush) {
    // Windows has no flush of a whole volume for a program without
    // administrator rights: every file is flushed as it is finished.
    if (!syncing() || FlushFileBuffers(f->h)) return true;
    record();
    return false;
}

bool flush_batch(const std::vector<std::string> &) {
    return true;
}

bool flush_folder(const char *) {
    return true;
}

// ---- folder enumeration -------------------------------------------------------

namespace {

// The characters of a UTF-16 name (a lone surrogate as itself).
std::u32string characters(const wchar_t *name) {
    std::u32string out;
    for (const wchar_t *p = name; *p; ++p) {
        const char32_t high = char32_t(*p);
        if (high >= 0xD800 && high <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            out += char32_t(0x10000 + ((high - 0xD800) << 10) + (char32_t(p[1]) - 0xDC00));
            ++p;
        } else {
            out += high;
        }
    }
    return out;
}

// True when code page cp holds the character exactly.
bool code_page_holds(char32_t c, UINT cp) {
    wchar_t units[3] = {};
    if (c >= 0x10000) {
        units[0] = wchar_t(0xD800 + ((c - 0x10000) >> 10));
        units[1] = wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        units[0] = wchar_t(c);
    }
    char bytes[8];
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, units, -1, bytes, sizeof bytes,
                                      nullptr, &lossy);
    return n > 0 && !lossy;
}

// The first character of a UTF-16 name that code page cp lacks, with the
// marks around it, as code points only: a message in the ANSI code page
// cannot show it (a decomposed デ is "U+30C6 U+3099").
std::string unheld_in(const wchar_t *name, UINT cp) {
    const std::u32string c = characters(name);
    for (size_t i = 0; i < c.size(); i++) {
        if (code_page_holds(c[i], cp)) continue;
        size_t first = i, last = i + 1;
        chars::widen_to_cluster(c.data(), c.size(), &first, &last);
        std::string note;
        chars::append_code_points(&note, c.data() + first, c.data() + last);
        return note.substr(1);  // the space in front
    }
    return "";
}

}  // namespace

struct DirSearch {
    HANDLE h;
    WIN32_FIND_DATAW found;
    bool pending;  // found holds an entry not yet handed out
    bool failed;
};

DirSearch *dir_open(const char *folder) {
    // The search runs on wide names: the ANSI search would hand out a name
    // outside the code page as an approximation, which may name another file.
    const std::string pattern = std::string(folder) + "*";
    const int n = MultiByteToWideChar(CP_ACP, 0, pattern.c_str(), -1, nullptr, 0);
    if (n <= 0) {
        record();
        return nullptr;
    }
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, pattern.c_str(), -1, wide.data(), n);
    DirSearch *s = new (std::nothrow) DirSearch{};
    if (!s) return nullptr;
    s->h = FindFirstFileW(wide.c_str(), &s->found);
    if (s->h == INVALID_HANDLE_VALUE) {
        record();
        delete s;
        return nullptr;
    }
    s->pending = true;
    return s;
}

bool dir_next(DirSearch *s, DirEntry *e) {
    if (!s->pending && !FindNextFileW(s->h, &s->found)) {
        if (GetLastError() != ERROR_NO_MORE_FILES) {
            record();
            s->failed = true;
        }
        return false;
    }
    s->pending = false;
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s->found.cFileName, -1, e->name,
                                      int(sizeof e->name), nullptr, &lossy);
    e->exact = n > 0 && !lossy;
    if (n <= 0) e->name[0] = '\0';
    chars::copy_note(e->exact ? std::string() : unheld_in(s->found.cFileName, CP_ACP), e->unheld,
                     sizeof e->unheld);
    // A reparse point (a symbolic link or a junction) is what it is, not what
    // it points to; the search returns only files and folders otherwise.
    const DWORD attrs = s->found.dwFileAttributes;
    e->kind = (attrs & FILE_ATTRIBUTE_REPARSE_POINT) ? kEntryLink
              : (attrs & FILE_ATTRIBUTE_DIRECTORY)   ? kEntryFolder
                                                     : kEntryFile;
    return true;
}

// Where a link or junction leads is never looked at: the walk passes over
// every reparse point and names it, rather than follow one that may lead
// out of the chosen tree or back into it.
LinkEnd link_end(const char *, const char *) {
    return kLinkUnfollowed;
}

bool dir_failed(const DirSearch *s) {
    return s->failed;
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
    // UTF-8 holds every character; it takes neither flag nor default.
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL *lossy_out = to == CP_UTF8 ? nullptr : &lossy;
    const int len =
        WideCharToMultiByte(to, flags, wide.c_str(), -1, nullptr, 0, nullptr, lossy_out);
    if (len <= 0 || lossy) return false;
    std::string result(size_t(len), '\0');
    WideCharToMultiByte(to, flags, wide.c_str(), -1, result.data(), len, nullptr, lossy_out);
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

void name_unheld(const char *native, char out[kNoteBytes]) {
    std::string note;
    std::string ignored;
    if (!recode(GetACP(), 932, native, &ignored)) {
        const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, native, -1, nullptr, 0);
        if (n > 0) {
            std::wstring wide(size_t(n), L'\0');
            MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, native, -1, wide.data(), n);
            note = unheld_in(wide.c_str(), 932);
        }
    }
    chars::copy_note(note, out, kNoteBytes);
}

// A native name held exactly by code page 932 comes back as it is: both
// conversions are exact, and the characters Windows names refuse, which
// alone come back widened, do not stand in a Windows name.
void name_respelled(const char *, char out[kNoteBytes]) {
    out[0] = '\0';
}

bool native_path(const char *utf8, std::string *out) {
    return recode(CP_UTF8, GetACP(), utf8, out);
}

std::string utf8_text(const std::string &native) {
    std::string out;
    return recode(GetACP(), CP_UTF8, native.c_str(), &out) ? out : native;
}

bool password_text(const char *utf8, std::string *out) {
    return recode(CP_UTF8, GetACP(), utf8, out);
}

std::string name_key(const std::string &path) {
    // The file system compares names in upper case, character by character.
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), int(path.size()), nullptr, 0);
    if (n <= 0) return path;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), int(path.size()), wide.data(), n);
    std::wstring upper(size_t(n), L'\0');
    if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.c_str(), n, upper.data(), n) != n)
        return path;
    return std::string(reinterpret_cast<const char *>(upper.data()),
                       upper.size() * sizeof(wchar_t));
}

NameResult from_archive_name(const char *name, char *out, size_t cap) {
    std::string s;
    const bool ok = recode(932, GetACP(), name, &s);
    return finish(ok, s, out, cap);
}

bool is_lead_byte(unsigned char c) {
    return IsDBCSLeadByte(c) != 0;
}

uint32_t process_id() {
    return GetCurrentProcessId();
}

bool process_alive(uint32_t id) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    // A process that may not be asked about runs all the same.
    if (!h) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = !GetExitCodeProcess(h, &code) || code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
}

// ---- threads ------------------------------------------------------------------------

struct Thread {
    HANDLE h;
    void (*run)(void *);
    void *arg;
};

namespace {

DWORD WINAPI thread_main(LPVOID t) {
    Thread *self = static_cast<Thread *>(t);
    self->run(self->arg);
    return 0;
}

}  // namespace

Thread *thread_start(void (*run)(void *), void *arg) {
    Thread *t = new (std::nothrow) Thread{};
    if (!t) return nullptr;
    t->run = run;
    t->arg = arg;
    t->h = CreateThread(nullptr, 0, thread_main, t, 0, nullptr);
    if (!t->h) {
        delete t;
        return nullptr;
    }
    return t;
}

void thread_join(Thread *t) {
    if (!t) return;
    WaitForSingleObject(t->h, INFINITE);
    CloseHandle(t->h);
    delete t;
}

struct Semaphore {
    HANDLE h;
};

Semaphore *semaphore_new(unsigned initial) {
    HANDLE h = CreateSemaphoreA(nullptr, LONG(initial), 0x7FFFFFFF, nullptr);
    if (!h) return nullptr;
    Semaphore *s = new (std::nothrow) Semaphore{h};
    if (!s) CloseHandle(h);
    return s;
}

void semaphore_post(Semaphore *s) {
    ReleaseSemaphore(s->h, 1, nullptr);
}

void semaphore_wait(Semaphore *s) {
    WaitForSingleObject(s->h, INFINITE);
}

void semaphore_free(Semaphore *s) {
    if (!s) return;
    CloseHandle(s->h);
    delete s;
}

unsigned processor_count() {
    // The process's affinity mask (start /affinity narrows it), within the
    // first processor group.
    DWORD_PTR process = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0)
        return unsigned(__builtin_popcountll(process));
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? unsigned(info.dwNumberOfProcessors) : 1;
}

// ---- the interruption's cleanup ------------------------------------------------

namespace {

SRWLOCK cleanup_lock = SRWLOCK_INIT;

}  // namespace

void cleanup_hold() {
    AcquireSRWLockExclusive(&cleanup_lock);
}

void cleanup_release() {
    ReleaseSRWLockExclusive(&cleanup_lock);
}

// ---- message boxes ------------------------------------------------------------

namespace {

// The hook is installed only while one conflict prompt is shown.
HHOOK hook = nullptr;

}  // namespace

namespace {

// A box taller than the screen hides its button: a long list (every name a
// selection cannot hold) is shown up to this many lines, then "…".
constexpr int kBoxLines = 30;

std::string fit_screen(const char *text) {
    std::string shown;
    int lines = 1;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n' && ++lines > kBoxLines) return shown + "\n" + msg::kMore;
        shown += *p;
    }
    return shown;
}

}  // namespace

int message_box(const char *text, const char *caption, unsigned type) {
    if ((type & MB_TYPEMASK) != MB_YESNOCANCEL)
        return MessageBoxA(nullptr, fit_screen(text).c_str(), caption, type);
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
