// Linux side of the platform seam. Native paths are UTF-8 with "/"; archive
// entry names are code page 932 with "\", converted one component at a time
// with iconv's CP932 (not SHIFT_JIS, which maps 0x5C to the yen sign).
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <pthread.h>
#include <sched.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "characters.h"
#include "cp932.h"
#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"

namespace quill::plat {

int random_bytes(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    size_t done = 0;
    const size_t want = size_t(length);
    // getrandom may return fewer bytes than asked (large requests, signals);
    // keep asking until every byte is filled.
    while (done < want) {
        ssize_t got = getrandom(buf + done, want - done, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        done += size_t(got);
    }
    return 0;
}

uint32_t tick_count() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

// ---- why a call failed ---------------------------------------------------

namespace {

thread_local Failure failure = kFailUnknown;

// Records why the call that set errno failed.
void record(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            failure = kFailNoSpace;
            break;
        case EFBIG:
            failure = kFailTooLarge;
            break;
        case EROFS:
            failure = kFailReadOnly;
            break;
        case EACCES:
        case EPERM:
            failure = kFailDenied;
            break;
        case ETXTBSY:
        case EBUSY:
            failure = kFailInUse;
            break;
        case ENOENT:
        case ENOTDIR:
            failure = kFailMissing;
            break;
        case EEXIST:
        case ENOTEMPTY:
            failure = kFailExists;
            break;
        case EISDIR:
        case ELOOP:  // O_NOFOLLOW met a link
            failure = kFailNotFile;
            break;
        case EIO:
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

// ---- files ----------------------------------------------------------------

struct File {
    int fd;
    bool opened;  // an existing file: seen holds what it was when opened
    struct statx seen;
};

namespace {

// What describe reports of a file.
constexpr unsigned kDescribed = STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

File *wrap(int fd) {
    File *f = new (std::nothrow) File{fd, false, {}};
    if (!f) ::close(fd);
    return f;
}

// Opens without blocking, then keeps the descriptor only for a regular file:
// opening a FIFO would wait for a peer, and a device or socket has no
// contents to read. O_NONBLOCK may stay: it means nothing to a regular
// file. The one query of the kind is kept for describe.
File *open_regular(const char *path, int flags) {
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        record(errno);
        return nullptr;
    }
    File *f = wrap(fd);
    if (!f) return nullptr;
    if (statx(fd, "", AT_EMPTY_PATH, kDescribed, &f->seen) != 0 || !S_ISREG(f->seen.stx_mode)) {
        failure = kFailNotFile;
        close(f);
        return nullptr;
    }
    f->opened = true;
    return f;
}

}  // namespace

File *open_read(const char *path) {
    return open_regular(path, O_RDONLY);
}

File *open_read_shared(const char *path) {
    return open_regular(path, O_RDONLY);
}

File *open_append(const char *path) {
    return open_regular(path, O_WRONLY | O_APPEND);
}

// ---- folders held open -----------------------------------------------------

struct Folder {
    int fd;
};

namespace {

// The descriptor names are resolved against: the folder, or without one the
// working folder (and a full path).
int at(const Folder *in) {
    return in ? in->fd : AT_FDCWD;
}

}  // namespace

Folder *folder_open(const char *path) {
    // O_PATH: the folder is only looked up in, never read.
    const int fd = ::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        record(errno);
        return nullptr;
    }
    Folder *f = new (std::nothrow) Folder{fd};
    if (!f) ::close(fd);
    return f;
}

DirsResult folder_enter(Folder *parent, const char *name, bool *created, Folder **out, bool make) {
    *created = make && mkdirat(at(parent), name, 0777) == 0;
    if (make && !*created && errno != EEXIST) {
        record(errno);
        return kDirsFailed;
    }
    // O_NOFOLLOW with O_DIRECTORY refuses a link as well as a file, so what is
    // entered is a folder that lies below parent.
    const int fd = openat(at(parent), name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int why = errno;
        struct stat st;
        if (why == ENOTDIR && fstatat(at(parent), name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            return S_ISLNK(st.st_mode) ? kDirsLink : kDirsNotFolder;
        record(why);
        return kDirsFailed;
    }
    *out = new (std::nothrow) Folder{fd};
    if (*out) return kDirsMade;
    ::close(fd);
    failure = kFailUnknown;
    return kDirsFailed;
}

void folder_close(Folder *f) {
    if (!f) return;
    ::close(f->fd);
    delete f;
}

File *create_private(const char *path, Folder *in) {
    const int fd = openat(at(in), path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        record(errno);
        return nullptr;
    }
    return wrap(fd);
}

bool make_public(File *f, uint32_t attrs) {
    // The umask is read once, by setting it and setting it back; nothing
    // else of the library creates files meanwhile.
    static const mode_t mask = [] {
        const mode_t m = umask(0);
        umask(m);
        return m;
    }();
    // Read-only is the one attribute with a meaning here: no write permission.
    const mode_t mode = (attrs & kAttrReadOnly) ? 0444 : 0666;
    if (fchmod(f->fd, mode & ~mask) == 0) return true;
    record(errno);
    return false;
}

bool close(File *f) {
    if (!f) return true;
    const bool closed = ::close(f->fd) == 0;
    if (!closed) record(errno);
    delete f;
    return closed;
}

int64_t read(File *f, void *buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(f->fd, static_cast<char *>(buf) + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            record(errno);
            return -1;
        }
        if (got == 0) break;  // end of file
        done += size_t(got);
    }
    return int64_t(done);
}

bool write(File *f, const void *buf, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t put = ::write(f->fd, static_cast<const char *>(buf) + done, n - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            record(errno);
            return false;
        }
        if (put == 0) {
            failure = kFailNoSpace;
            return false;
        }
        done += size_t(put);
    }
    return true;
}

int64_t size(File *f) {
    struct stat st;
    if (fstat(f->fd, &st) != 0) return -1;
    return int64_t(st.st_size);
}

bool seek(File *f, int64_t pos) {
    return lseek(f->fd, off_t(pos), SEEK_SET) == off_t(pos);
}

namespace {

// Seconds between 1601-01-01 and 1970-01-01, the two epochs.
constexpr uint64_t kEpochDelta = 11644473600ULL;

uint64_t to_file_time(int64_t sec, uint32_t nsec) {
    return (uint64_t(sec) + kEpochDelta) * 10000000ULL + nsec / 100;
}

timespec from_file_time(uint64_t t) {
    timespec ts{};
    const uint64_t secs = t / 10000000ULL;
    ts.tv_sec = time_t(int64_t(secs) - int64_t(kEpochDelta));
    ts.tv_nsec = long(t % 10000000ULL) * 100;
    return ts;
}

}  // namespace

bool set_times(File *f, const FileTimes &t) {
    const timespec ts[2] = {from_file_time(t.access), from_file_time(t.write)};
    return futimens(f->fd, ts) == 0;
}

// ---- paths ------------------------------------------------------------------

namespace {

const char *base_name(const char *path) {
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// The attribute word of what is at path with the mode given: hidden for a
// name that starts with a dot, read-only without write permission.
uint32_t attributes_of(const char *path, mode_t mode) {
    uint32_t attrs = 0;
    if (base_name(path)[0] == '.') attrs |= kAttrHidden;
    if (S_ISDIR(mode)) return attrs | kAttrDirectory;
    if (!(mode & S_IWUSR)) attrs |= kAttrReadOnly;
    return attrs | kAttrArchive;
}

}  // namespace

uint32_t attributes(const char *path, Folder *in) {
    struct stat st;
    return fstatat(at(in), path, &st, 0) == 0 ? attributes_of(path, st.st_mode) : kNoAttributes;
}

bool exists(const char *path, Folder *in) {
    struct stat st;
    return fstatat(at(in), path, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool describe(File *f, const char *path, FileInfo *info) {
    struct statx asked;
    if (!f->opened && statx(f->fd, "", AT_EMPTY_PATH, kDescribed, &asked) != 0) return false;
    const struct statx &sx = f->opened ? f->seen : asked;
    info->size = int64_t(sx.stx_size);
    info->times.access = to_file_time(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    info->times.write = to_file_time(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // Not every file system keeps a creation time; the last write time is the
    // closest stand-in.
    info->times.creation = (sx.stx_mask & STATX_BTIME)
                               ? to_file_time(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                               : info->times.write;
    info->attributes = attributes_of(path, sx.stx_mode);
    return true;
}

bool set_attributes(const char *path, uint32_t attrs) {
    struct stat st;
    if (lstat(path, &st) != 0) return false;
    // chmod would follow a link and change a file elsewhere.
    if (S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode)) return true;
    // Read-only is the one attribute with a meaning here: no write permission.
    const mode_t before = st.st_mode & 07777;
    mode_t mode = before;
    if (attrs & kAttrReadOnly)
        mode &= mode_t(~0222);
    else
        mode |= S_IWUSR;
    return mode == before || chmod(path, mode) == 0;
}

bool remove_file(const char *path) {
    if (unlink(path) == 0) return true;
    record(errno);
    return false;
}

bool rename_new(const char *from, const char *to, Folder *to_in) {
    // A rename that refuses an existing target; where the file system has no
    // such rename, a hard link does the same and the old name goes after.
    if (renameat2(AT_FDCWD, from, at(to_in), to, RENAME_NOREPLACE) == 0) return true;
    if (errno == EINVAL || errno == ENOSYS) {
        if (linkat(AT_FDCWD, from, at(to_in), to, 0) == 0) {
            unlink(from);
            return true;
        }
    }
    record(errno);
    return false;
}

namespace {

// The permissions of the file old (as lstat saw it) given to the file at
// from: its permission bits, less write permission where from has none (a
// read-only entry), and for root its owner and group first (chown clears
// what chmod then sets). Set-user and set-group bits are never passed on:
// the old file's privileges must not go to other content.
bool take_permissions(const char *from, const struct stat &old) {
    struct stat now;
    if (stat(from, &now) != 0) return false;
    mode_t mode = old.st_mode & 0777;
    if (!(now.st_mode & S_IWUSR)) mode &= mode_t(~0222);
    if (geteuid() == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        chown(from, old.st_uid, old.st_gid) != 0)
        return false;
    return (now.st_mode & 07777) == mode || chmod(from, mode) == 0;
}

}  // namespace

bool rename_replace(const char *from, const char *to, Folder *to_in, const char *aside) {
    struct stat old;
    const bool existed = fstatat(at(to_in), to, &old, AT_SYMLINK_NOFOLLOW) == 0;
    // Only a file or a link gives way: never a folder, nor a device or a
    // FIFO, which a file in their place would break.
    if (existed && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) {
        failure = kFailNotFile;
        return false;
    }
    if (existed && S_ISREG(old.st_mode) && !take_permissions(from, old)) {
        record(errno);
        return false;
    }
    // The old file keeps a second name, so that to names a whole file at
    // every moment; a file system without hard links moves it aside instead.
    bool moved_aside = false;
    if (existed && aside && linkat(at(to_in), to, AT_FDCWD, aside, 0) != 0) {
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) {
            record(errno);
            return false;
        }
        if (renameat2(at(to_in), to, AT_FDCWD, aside, RENAME_NOREPLACE) != 0) {
            record(errno);
            return false;
        }
        moved_aside = true;
    }
    // rename replaces a file in one step and refuses a folder (EISDIR).
    if (renameat(AT_FDCWD, from, at(to_in), to) == 0) return true;
    record(errno);
    if (moved_aside)
        renameat(AT_FDCWD, aside, at(to_in), to);
    else if (existed && aside)
        unlink(aside);
    return false;
}

bool replaceable(const char *path) {
    struct stat st;
    if (lstat(path, &st) != 0) return errno == ENOENT;
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) return true;
    failure = kFailNotFile;
    return false;
}

bool put_back(const char *aside, const char *to) {
    // rename is safe in a signal handler.
    if (rename(aside, to) == 0) return true;
    record(errno);
    return false;
}

bool remove_folder(const char *path) {
    if (rmdir(path) == 0) return true;
    record(errno);
    return false;
}

int64_t file_size(const char *path) {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return int64_t(st.st_size);
}

bool same_file(const char *a, const char *b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// ---- stable storage -------------------------------------------------------------

bool syncing() {
    static const bool on = [] {
        const char *no = getenv("QUILLSEAL_NO_SYNC");
        return !(no && strcmp(no, "1") == 0);
    }();
    return on;
}

bool flush_file(File *f, Flush when) {
    // A batch is flushed by one syncfs before its renames.
    if (when == kFlushBatch || !syncing() || fdatasync(f->fd) == 0) return true;
    record(errno);
    return false;
}

bool flush_batch(const std::vector<std::string> &folders) {
    if (!syncing()) return true;
    std::vector<dev_t> done;
    for (const std::string &folder : folders) {
        // One syncfs for each file system; only its first folder is opened.
        struct stat st;
        if (stat(folder.c_str(), &st) != 0) {
            record(errno);
            return false;
        }
        bool seen = false;
        for (dev_t d : done) seen = seen || d == st.st_dev;
        if (seen) continue;
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool ok = fd >= 0 && syncfs(fd) == 0;
        if (!ok) record(errno);
        if (fd >= 0) ::close(fd);
        if (!ok) return false;
        done.push_back(st.st_dev);
    }
    return true;
}

bool flush_folder(const char *path) {
    if (!syncing()) return true;
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
        record(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

// ---- folder enumeration -------------------------------------------------------

struct DirSearch {
    DIR *dir;
    std::string folder;
    bool failed;
};

bool readable(const char *path, const DirSearch *found_in) {
    const int at = found_in ? dirfd(found_in->dir) : AT_FDCWD;
    if (faccessat(at, found_in ? base_name(path) : path, R_OK, AT_EACCESS) == 0) return true;
    record(errno);
    return false;
}

DirSearch *dir_open(const char *folder) {
    DIR *d = opendir(folder);
    if (!d) {
        record(errno);
        return nullptr;
    }
    DirSearch *s = new (std::nothrow) DirSearch{d, folder, false};
    if (!s) closedir(d);
    return s;
}

bool dir_next(DirSearch *s, DirEntry *e) {
    // readdir tells its end from a failure by errno alone.
    errno = 0;
    const dirent *de = readdir(s->dir);
    if (!de) {
        if (errno != 0) {
            record(errno);
            s->failed = true;
        }
        return false;
    }
    e->exact = true;  // the name's bytes are the name
    e->unheld[0] = '\0';
    const size_t len = strlen(de->d_name);
    if (len >= sizeof e->name) {
        // Linux names are at most 255 bytes; this cannot happen, but an entry
        // must never be cut short silently.
        e->name[0] = '\0';
        e->kind = kEntryOther;
        return true;
    }
    memcpy(e->name, de->d_name, len + 1);
    // What the entry itself is: a link is not followed, so the walk never
    // leaves the chosen tree or runs round in a loop.
    unsigned char type = de->d_type;
    if (type == DT_UNKNOWN) {
        struct stat st;
        const std::string full = s->folder + de->d_name;
        type = lstat(full.c_str(), &st) != 0 ? DT_UNKNOWN
               : S_ISREG(st.st_mode)         ? DT_REG
               : S_ISDIR(st.st_mode)         ? DT_DIR
               : S_ISLNK(st.st_mode)         ? DT_LNK
                                             : DT_UNKNOWN;
    }
    e->kind = type == DT_REG   ? kEntryFile
              : type == DT_DIR ? kEntryFolder
              : type == DT_LNK ? kEntryLink
                               : kEntryOther;
    return true;
}

LinkEnd link_end(const char *path, const char *root) {
    // realpath follows every link on the way and fails on a broken one or a
    // loop; the root is resolved alike, so that a chosen folder reached
    // through a link still holds what lies in it.
    char *target = realpath(path, nullptr);
    if (!target) return kLinkNowhere;
    char *top = realpath(root, nullptr);
    const std::string end = target, folder = top ? top : "";
    free(target);
    free(top);
    const bool inside = !folder.empty() && end.compare(0, folder.size(), folder) == 0 &&
                        (end.size() == folder.size() || folder == "/" || end[folder.size()] == '/');
    struct stat st;
    if (!inside) return kLinkOutside;
    if (stat(end.c_str(), &st) != 0) return kLinkNowhere;
    return S_ISDIR(st.st_mode) ? kLinkFolder : S_ISREG(st.st_mode) ? kLinkFileInside : kLinkOther;
}

bool dir_failed(const DirSearch *s) {
    return s->failed;
}

void dir_close(DirSearch *s) {
    if (!s) return;
    closedir(s->dir);
    delete s;
}

// ---- names inside archives --------------------------------------------------
//
// A component goes into an entry name in three steps: a base and a combining
// mark that code page 932 holds as one character are composed (a decomposed
// name, as macOS gives it), each JIS-based spelling becomes the code page's
// own (cp932.h), and iconv's CP932 converts the result. The component is
// taken only when converting back gives exactly those characters: that
// refuses what the code page lacks and what iconv would write as another
// character (¥ as "\", ‾ as "~", tag characters as nothing). Coming back,
// iconv gives the code page's own spelling, and each code on which the
// JIS-based mappings differ is given as theirs: 0x8160 becomes 〜 U+301C, as
// a Japanese input method on Linux types it, not ～ U+FF5E.

namespace {

// A conversion descriptor per direction and thread, opened on first use:
// opening one costs more than converting a name, and a tree has many.
struct Converter {
    const char *to, *from;
    iconv_t cd = iconv_t(-1);
    ~Converter() {
        if (cd != iconv_t(-1)) iconv_close(cd);
    }
};
thread_local Converter to_cp932{"CP932", "UTF-8"}, to_utf8{"UTF-8", "CP932"};

// Converts one whole path component, so that no byte of a double-byte
// character is ever looked at on its own.
bool convert(Converter &c, const std::string &in, std::string *out) {
    if (c.cd == iconv_t(-1)) c.cd = iconv_open(c.to, c.from);
    if (c.cd == iconv_t(-1)) return false;
    iconv_t cd = c.cd;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial state, whatever came before
    std::string result(in.size() * 4 + 4, '\0');
    char *src = const_cast<char *>(in.data());
    size_t src_left = in.size();
    char *dst = result.data();
    size_t dst_left = result.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    const bool flushed = iconv(cd, nullptr, nullptr, &dst, &dst_left) != size_t(-1);
    if (rc == size_t(-1) || !flushed || src_left != 0) return false;
    result.resize(result.size() - dst_left);
    *out = result;
    return true;
}

// The characters of UTF-8 text; false at a byte that begins no character
// (an overlong form, a surrogate and a value past U+10FFFF included), whose
// offset goes to *bad.
bool decode(const std::string &text, std::u32string *out, size_t *bad) {
    out->clear();
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        const size_t len = b < 0x80                 ? 1
                           : b >= 0xC2 && b <= 0xDF ? 2
                           : b >= 0xE0 && b <= 0xEF ? 3
                           : b >= 0xF0 && b <= 0xF4 ? 4
                                                    : 0;
        char32_t c = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; k++) {
            ok = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < least[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            *bad = i;
            return false;
        }
        out->push_back(c);
        i += len;
    }
    return true;
}

void encode(char32_t c, std::string *out) {
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | (c >> 6));
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | (c >> 12));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | (c >> 18));
        *out += char(0x80 | ((c >> 12) & 0x3F));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

std::string utf8(const char32_t *begin, const char32_t *end) {
    std::string s;
    for (const char32_t *c = begin; c < end; c++) encode(*c, &s);
    return s;
}

// One character of a component as an entry name stores it: the component's
// characters [first, first + count) and the character they are stored as.
struct Stored {
    size_t first, count;
    char32_t as;
};

std::vector<Stored> fold(const std::u32string &chars) {
    std::vector<Stored> out;
    for (size_t i = 0; i < chars.size();) {
        const char32_t pair = i + 1 < chars.size() ? cp932::composed(chars[i], chars[i + 1]) : 0;
        const size_t count = pair ? 2 : 1;
        out.push_back({i, count, cp932::own_spelling(pair ? pair : chars[i])});
        i += count;
    }
    return out;
}

// True when iconv's CP932 holds the UTF-8 text and gives exactly it back;
// *bytes gets the code page's bytes.
bool holds(const std::string &text, std::string *bytes) {
    std::string back;
    return convert(to_cp932, text, bytes) && convert(to_utf8, *bytes, &back) && back == text;
}

// A component in code page 932, or false. A "\" inside a Linux name would
// read as a separator on Windows.
bool component_name(const std::string &component, std::string *out) {
    std::u32string chars;
    size_t bad = 0;
    if (component.find('\\') != std::string::npos || !decode(component, &chars, &bad)) return false;
    std::string text;
    for (const Stored &s : fold(chars)) encode(s.as, &text);
    return holds(text, out);
}

// The component's characters [first, last) for a message: as they stand,
// then their code points.
std::string shown(const std::u32string &chars, size_t first, size_t last) {
    std::string s = utf8(chars.data() + first, chars.data() + last);
    chars::append_code_points(&s, chars.data() + first, chars.data() + last);
    return s;
}

// The first thing of a component that component_name refuses, for a message.
std::string unheld_in(const std::string &component) {
    std::u32string chars;
    size_t bad = 0;
    if (!decode(component, &chars, &bad)) {
        char byte[8];
        snprintf(byte, sizeof byte, "0x%02X", unsigned(static_cast<unsigned char>(component[bad])));
        return byte;
    }
    std::string ignored;
    for (const Stored &s : fold(chars)) {
        std::string text;
        encode(s.as, &text);
        if (s.as == '\\' || !holds(text, &ignored)) {
            size_t first = s.first, last = s.first + s.count;
            chars::widen_to_cluster(chars.data(), chars.size(), &first, &last);
            return shown(chars, first, last);
        }
    }
    return "";
}

// The components of a native relative path, each passed to take until it
// returns false; false then.
template <typename Take>
bool each_component(const char *native, Take take) {
    std::string component;
    for (const char *p = native;; ++p) {
        if (*p == '/' || *p == '\0') {
            if (!take(component)) return false;
            if (*p == '\0') return true;
            component.clear();
        } else {
            component += *p;
        }
    }
}

NameResult finish(const std::string &s, char *out, size_t cap) {
    if (s.size() + 1 > cap) return kNameTooLong;
    memcpy(out, s.c_str(), s.size() + 1);
    return kNameOk;
}

}  // namespace

bool native_path(const char *utf8, std::string *out) {
    *out = utf8;
    return true;
}

std::string utf8_text(const std::string &native) {
    return native;
}

bool password_text(const char *utf8, std::string *out) {
    return convert(to_cp932, utf8, out);
}

NameResult to_archive_name(const char *native, char *out, size_t cap) {
    std::string result;
    bool first = true;
    const bool held = each_component(native, [&](const std::string &component) {
        std::string converted;
        if (!component_name(component, &converted)) return false;
        result += (first ? "" : "\\") + converted;
        first = false;
        return true;
    });
    return held ? finish(result, out, cap) : kNameUnrepresentable;
}

std::string name_key(const std::string &path) {
    return path;
}

NameResult from_archive_name(const char *name, char *out, size_t cap) {
    // Every character but "/" and NUL may stand in a Linux name.
    std::string result, component;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name);; ++p) {
        if (*p == '\\' || *p == '\0') {
            std::string converted;
            std::u32string chars;
            size_t bad = 0;
            if (!convert(to_utf8, component, &converted) || !decode(converted, &chars, &bad))
                return kNameUnrepresentable;
            for (const char32_t c : chars) encode(cp932::linux_spelling(c), &result);
            if (*p == '\0') break;
            result += '/';
            component.clear();
        } else if (cp932::is_lead(*p) && p[1] != '\0') {
            component += char(p[0]);
            component += char(p[1]);
            ++p;
        } else {
            component += char(*p);
        }
    }
    return finish(result, out, cap);
}

void name_unheld(const char *native, char out[kNoteBytes]) {
    std::string note;
    each_component(native, [&](const std::string &component) {
        std::string ignored;
        if (component_name(component, &ignored)) return true;
        note = unheld_in(component);
        return false;
    });
    chars::copy_note(note, out, kNoteBytes);
}

void name_respelled(const char *native, char out[kNoteBytes]) {
    std::vector<std::string> changes;
    each_component(native, [&](const std::string &component) {
        std::u32string chars;
        size_t bad = 0;
        if (!decode(component, &chars, &bad)) return true;
        for (const Stored &s : fold(chars)) {
            const char32_t back = cp932::linux_spelling(s.as);
            if (s.count == 1 && back == chars[s.first]) continue;
            std::string change = shown(chars, s.first, s.first + s.count) + " → ";
            change += shown(std::u32string(1, back), 0, 1);
            if (std::find(changes.begin(), changes.end(), change) == changes.end())
                changes.push_back(change);
        }
        return true;
    });
    std::string note;
    for (const std::string &change : changes) note += (note.empty() ? "" : "、") + change;
    chars::copy_note(note, out, kNoteBytes);
}

// UTF-8 never uses a byte below 0x80 inside a character: no lead bytes to
// step over.
bool is_lead_byte(unsigned char) {
    return false;
}

uint32_t process_id() {
    return uint32_t(getpid());
}

bool process_alive(uint32_t id) {
    // Signal 0 only asks whether the process exists; EPERM: it does, as
    // another user's.
    return id != 0 && id <= uint32_t(INT32_MAX) && (kill(pid_t(id), 0) == 0 || errno != ESRCH);
}

// ---- threads ------------------------------------------------------------------------

struct Thread {
    pthread_t id;
    void (*run)(void *);
    void *arg;
};

namespace {

void *thread_main(void *t) {
    Thread *self = static_cast<Thread *>(t);
    self->run(self->arg);
    return nullptr;
}

}  // namespace

Thread *thread_start(void (*run)(void *), void *arg) {
    Thread *t = new (std::nothrow) Thread{};
    if (!t) return nullptr;
    t->run = run;
    t->arg = arg;
    // The new thread starts with every signal blocked, so that the caller's
    // thread takes them all.
    sigset_t all, kept;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &kept);
    const bool started = pthread_create(&t->id, nullptr, thread_main, t) == 0;
    pthread_sigmask(SIG_SETMASK, &kept, nullptr);
    if (!started) {
        delete t;
        return nullptr;
    }
    return t;
}

void thread_join(Thread *t) {
    if (!t) return;
    pthread_join(t->id, nullptr);
    delete t;
}

struct Semaphore {
    sem_t sem;
};

Semaphore *semaphore_new(unsigned initial) {
    Semaphore *s = new (std::nothrow) Semaphore{};
    if (s && sem_init(&s->sem, 0, initial) != 0) {
        delete s;
        return nullptr;
    }
    return s;
}

void semaphore_post(Semaphore *s) {
    sem_post(&s->sem);
}

void semaphore_wait(Semaphore *s) {
    while (sem_wait(&s->sem) != 0 && errno == EINTR) {
    }
}

void semaphore_free(Semaphore *s) {
    if (!s) return;
    sem_destroy(&s->sem);
    delete s;
}

unsigned processor_count() {
    // The affinity mask, which taskset and cgroups narrow, before the
    // machine's count.
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return unsigned(CPU_COUNT(&set));
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? unsigned(online) : 1;
}

// ---- the interruption's cleanup ------------------------------------------------

namespace {

// The signals of the thread that holds the list, as they were, and the
// hold itself: a thread's own signals wait while it holds (so that a
// handler never interrupts a change half made on its own thread), and any
// other thread, a handler running on it included, spins until the change
// is whole. A hold lasts a few instructions.
thread_local sigset_t held_mask;
std::atomic_flag held = ATOMIC_FLAG_INIT;

}  // namespace

void cleanup_hold() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &held_mask);
    while (held.test_and_set(std::memory_order_acquire)) {
    }
}

void cleanup_release() {
    held.clear(std::memory_order_release);
    pthread_sigmask(SIG_SETMASK, &held_mask, nullptr);
}

// ---- message boxes ------------------------------------------------------------

int message_box(const char *text, const char *caption, unsigned type) {
    fprintf(stderr, "%s: %s\n", caption, text);
    if ((type & QUILL_MB_TYPEMASK) != QUILL_MB_YESNOCANCEL) return QUILL_IDOK;
    // The three-way question about an existing name: ask on the terminal when
    // there is one; without one nothing is overwritten unasked.
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO)) return QUILL_IDCANCEL;
    fprintf(stderr, "  1: %s  2: %s  3: %s > ", msg::kOverwrite, msg::kSaveAs, msg::kStop);
    char line[16];
    if (!fgets(line, sizeof line, stdin)) return QUILL_IDCANCEL;
    if (line[0] == '1') return QUILL_IDYES;
    if (line[0] == '2') return QUILL_IDNO;
    return QUILL_IDCANCEL;
}

}  // namespace quill::plat
