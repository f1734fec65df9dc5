// The operating-system seam of quillcore. Everything above this header is
// shared code; one implementation file per platform lies beside it.
//
// Paths are native byte strings: on Windows in the ANSI code page (932 on a
// Japanese system) with "\" between components; on Linux in the locale's
// encoding (UTF-8) with "/". Names stored inside archives are always code
// page 932 with "\"; to_archive_name and from_archive_name convert.
#ifndef QUILL_PLATFORM_H
#define QUILL_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quill::plat {

#if defined(_WIN32)
constexpr char kSep = '\\';
constexpr size_t kPathMax = 260;  // MAX_PATH, the terminating NUL included
// Windows gives some names a meaning of their own (devices, trailing dots).
constexpr bool kWindowsNames = true;
#else
constexpr char kSep = '/';
constexpr size_t kPathMax = 4096;  // PATH_MAX, the terminating NUL included
constexpr bool kWindowsNames = false;
#endif

// The one rule for what separates components of a native path: on Windows
// "\" and "/", and ":" after a drive; on Linux "/".
inline bool is_separator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

// ---- random source and clock ---------------------------------------------

// Fills buf with length cryptographically strong random bytes.
// 0 success; 1 the source cannot be opened or did not deliver every byte.
int random_bytes(unsigned char *buf, int32_t length);

// Milliseconds from a monotonic clock, wrapping at 2^32 (seed material).
uint32_t tick_count();

// ---- why a call failed ---------------------------------------------------

// What the operating system reported when a call of this seam last failed on
// the calling thread, in the terms a user can act on. Every function below
// that reports failure records it; a success leaves it as it was.
enum Failure {
    kFailUnknown,   // nothing the user could act on
    kFailNoSpace,   // the disk, or the user's quota on it, is full
    kFailTooLarge,  // the file system holds no file that large
    kFailReadOnly,  // the drive is write-protected or mounted read-only
    kFailDenied,    // permissions refuse it
    kFailInUse,     // another program holds the file
    kFailMissing,   // the file, or a folder on its path, does not exist
    kFailExists,    // something of that name exists already
    kFailNotFile,   // it is no regular file (a folder, a device, a pipe)
    kFailIO,        // the device reported an error
};
Failure last_failure();

// ---- files by handle ------------------------------------------------------

struct File;
struct Folder;  // a folder held open (below)

// Every open of an existing file checks its kind before anything is read or
// written: only a regular file opens. A FIFO, socket or device is refused
// without blocking (it could hold the caller for ever), and so is a folder.

// An existing file for reading, not shared with other openers (the drivers'
// sources and archives); null on failure.
File *open_read(const char *path);
// An existing file for reading that others may read meanwhile (key files,
// hashing, signatures); null on failure.
File *open_read_shared(const char *path);
// An existing file for writing at its end; null on failure.
File *open_append(const char *path);
// A new file for writing that only its owner may read (mode 0600; on
// Windows shared with nobody, though the interruption's cleanup may delete
// it while it is open); null on failure, also when the name is taken.
// Temporary files are made with it.
File *create_private(const char *path, Folder *in = nullptr);
// Gives a file made by create_private the permissions of a new file of the
// user, just before it takes its final name: on Linux 0666 less the umask,
// without write permission when attrs holds read-only; on Windows nothing
// (kAttributesByPath).
bool make_public(File *f, uint32_t attrs);
// Closes the file; false when data could not be written out.
bool close(File *f);
// Reads up to n bytes, fewer only at the end of the file; -1 on an error.
int64_t read(File *f, void *buf, size_t n);
// Reads exactly n bytes; false at an error or when the file ends first.
inline bool read_exact(File *f, void *buf, size_t n) {
    return read(f, buf, n) == int64_t(n);
}
// How a read of exactly n bytes ended: whole, short (the file ended first:
// it is shorter than it was), or refused (last_failure says why).
enum ReadEnd { kReadWhole, kReadShort, kReadError };
inline ReadEnd read_whole(File *f, void *buf, size_t n) {
    const int64_t got = read(f, buf, n);
    return got == int64_t(n) ? kReadWhole : got < 0 ? kReadError : kReadShort;
}
// Writes all n bytes; false on an error or a short write (a full disk).
bool write(File *f, const void *buf, size_t n);
// The file's size in bytes; -1 when it cannot be determined.
int64_t size(File *f);
// Positions the file at byte pos from its start; false on failure.
bool seek(File *f, int64_t pos);

// Windows file times: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTimes {
    uint64_t creation;
    uint64_t access;
    uint64_t write;
};
// What an entry records of the open file at path, from one query of the
// open file: its size, times and attribute word (as attributes() gives it),
// as they were when it was opened.
struct FileInfo {
    int64_t size;
    FileTimes times;
    uint32_t attributes;
};
bool describe(File *f, const char *path, FileInfo *info);
// Sets what the platform can set (Linux keeps its own creation time).
bool set_times(File *f, const FileTimes &t);

// ---- folders held open ------------------------------------------------------

// A folder of an output tree held open while files are placed in it: a name
// inside it is found without walking the whole path from the top again, and
// a folder that something replaced by a link after it was entered is not
// followed (on Windows, which finds every name by its path, it holds the
// folder's checked path). The functions of this seam that take a Folder *in
// take a name inside it; without one, a path.

// The folder at path held open (links on the way followed: the caller chose
// it); null on failure.
Folder *folder_open(const char *path);
// What became of a folder entered below another.
enum DirsResult {
    kDirsMade,       // the folder exists and is held open in *out
    kDirsLink,       // the name is a link (on Windows any reparse point)
    kDirsNotFolder,  // the name is something other than a folder
    kDirsFailed,     // it could not be made or opened (last_failure says why)
};
// The folder name inside parent (one component), made when missing and make
// is true (*created says so), and held open in *out, never through a link.
// A missing folder not made is kDirsFailed with kFailMissing.
DirsResult folder_enter(Folder *parent, const char *name, bool *created, Folder **out,
                        bool make = true);
void folder_close(Folder *f);

// ---- paths --------------------------------------------------------------

// Windows file attribute bits, as the attribute word of archive entries.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrTemporary = 0x100;
constexpr uint32_t kAttrReparsePoint = 0x400;  // a link or junction
constexpr uint32_t kAttrNotContentIndexed = 0x2000;
constexpr uint32_t kNoAttributes = 0xFFFFFFFF;

// Where a restored file's attribute word is set by its path once the file
// has its final name (Windows); on Linux make_public has applied it.
#if defined(_WIN32)
constexpr bool kAttributesByPath = true;
#else
constexpr bool kAttributesByPath = false;
#endif

// The attribute word of a file or folder; kNoAttributes when nothing of that
// name exists. On Linux it is derived from the mode and the name.
uint32_t attributes(const char *path, Folder *in = nullptr);
// True when anything has that name, a link included, even one that leads
// nowhere (attributes follows it, and finds nothing).
bool exists(const char *path, Folder *in = nullptr);
// Applies an attribute word where it has a meaning (on Linux: read-only as
// the absence of write permission). A link is left as it is: nothing is
// ever changed through one.
bool set_attributes(const char *path, uint32_t attrs);
bool remove_file(const char *path);
// Gives the file at from (a full path) the name to, which must not exist:
// nothing is ever replaced (kFailExists when it does). to is a name inside
// to_in when given, else a full path; both lie on one volume. false on
// failure.
bool rename_new(const char *from, const char *to, Folder *to_in = nullptr);
// Gives the file at from the name to (as rename_new), replacing the file of
// that name in one step, so that to names either the old file or the new
// one, never neither. The new file takes the old one's permissions: on
// Linux its permission bits (never set-user or set-group, and no write
// permission where from had none) and, for a process of root, its owner and
// group; on Windows its attributes and security descriptor. A link of that
// name is replaced itself, never followed; a folder, a device or a FIFO is
// never replaced (kFailNotFile).
// aside, when given (a free full path in to's folder), keeps the old file
// under that name for the caller to remove or put back. false on failure.
bool rename_replace(const char *from, const char *to, Folder *to_in = nullptr,
                    const char *aside = nullptr);
// True when rename_replace would give way at path: nothing has that name,
// or a file or a link has it.
bool replaceable(const char *path);
// Puts the file kept at aside back under the name to (full paths), in place
// of whatever file has that name now. Safe in the interruption's cleanup.
bool put_back(const char *aside, const char *to);
// Removes an empty folder; false when it is not empty or cannot be removed.
bool remove_folder(const char *path);
// The size of the file at path, -1 when it cannot be opened or measured.
int64_t file_size(const char *path);
struct DirSearch;
// True when the regular file at path can be opened for reading now (the
// folder walk asks before an archive is made). found_in, when given, is the
// enumeration of path's folder that found it: on Linux the name is then
// looked up inside that folder alone.
bool readable(const char *path, const DirSearch *found_in = nullptr);
// True when both paths name one and the same existing file, however they are
// spelled (case, "." components, links, short names).
bool same_file(const char *a, const char *b);
// Where the link at path leads, followed through every link on the way, as
// seen from the chosen folder root (no separator at its end).
enum LinkEnd {
    kLinkFileInside,  // a regular file inside root: reading path reads it
    kLinkFolder,      // a folder
    kLinkOutside,     // something outside root
    kLinkNowhere,     // nothing: the link is broken, or runs in a loop
    kLinkOther,       // a FIFO, socket or device inside root
    kLinkUnfollowed,  // not looked at: Windows follows no link or junction
};
LinkEnd link_end(const char *path, const char *root);

// ---- stable storage ----------------------------------------------------------

// A file takes a name the user sees only once its data is on stable
// storage, and the folder that holds the name is flushed after the rename,
// so that a power cut leaves the old file or the new one, whole.

// Whether the flushes are made: yes, unless QUILLSEAL_NO_SYNC is 1 in the
// environment (for timing runs on throw-away data).
bool syncing();
// When a file's data goes to stable storage.
enum Flush {
    kFlushNow,    // before it is closed: it takes its name on its own
    kFlushBatch,  // with the rest of its batch (flush_batch), where the
                  // platform flushes a whole file system at once; else now
};
// The file's data, and what reading it back needs, on stable storage
// (fdatasync; FlushFileBuffers). false when the device refused it.
bool flush_file(File *f, Flush when);
// Everything written to the file systems that hold the folders (full paths)
// on stable storage: on Linux one syncfs for each file system; on Windows
// nothing, as flush_file flushed every file.
bool flush_batch(const std::vector<std::string> &folders);
// The names made, renamed and removed in the folder at path on stable
// storage: on Linux an fsync of the folder; on Windows nothing, as every
// MoveFileEx is written through (a ReplaceFile has no such flag: after a
// power cut its name holds the old file or the new one, each whole, as
// the new one's data was flushed first).
bool flush_folder(const char *path);

// ---- folder enumeration ---------------------------------------------------

struct DirSearch;
enum EntryKind {
    kEntryFile,    // a regular file
    kEntryFolder,  // a folder
    kEntryLink,    // a symbolic link (on Windows any reparse point: a link or a junction)
    kEntryOther,   // a FIFO, socket or device
};
// A note on a name for a message: the characters concerned and their code
// points (characters.h).
constexpr size_t kNoteBytes = 128;
struct DirEntry {
    char name[kPathMax];  // the entry's own name, no folder
    EntryKind kind;       // what the entry itself is: a link is not followed
    // False when the name has no exact form as a native path (on Windows a
    // character outside the ANSI code page: name then holds the system's
    // approximation, good for a message only, and unheld the first such
    // character).
    bool exact;
    char unheld[kNoteBytes];
};
// Starts enumerating the folder (a path ending in the separator); null when
// it cannot be opened.
DirSearch *dir_open(const char *folder);
// The next entry in the platform's order, "." and ".." included where the
// platform returns them; false at the end, and when the listing broke off
// (then dir_failed is true).
bool dir_next(DirSearch *s, DirEntry *e);
bool dir_failed(const DirSearch *s);
void dir_close(DirSearch *s);

// ---- names inside archives --------------------------------------------------

enum NameResult { kNameOk = 0, kNameUnrepresentable = 1, kNameTooLong = 2 };
// A native relative path as an archive entry name (code page 932, "\"
// between components), NUL included, in out[0..cap-1]. On Linux a name is
// composed first and each JIS-based spelling of a character is taken as the
// code page's own (cp932.h), so that a decomposed name and one typed with an
// input method are held; what the code page lacks is refused.
NameResult to_archive_name(const char *native, char *out, size_t cap);
// An archive entry name as a native relative path, in out[0..cap-1]. On
// Linux a code whose JIS-based character differs from the code page's comes
// back as the JIS-based one, as a name typed there holds it (cp932.h). A
// name Windows cannot hold is made holdable before (windows_spelling).
NameResult from_archive_name(const char *name, char *out, size_t cap);
// The form under which the file system tells names apart: two paths of one
// key name one file. On Windows, where case does not count, the path in
// upper case; on Linux the path itself.
std::string name_key(const std::string &path);
// Why to_archive_name refuses a native relative path, for a message: the
// first character an entry name cannot hold, with the marks around it
// ("é U+00E9", a byte that is no character as "0xE9"); empty when it holds
// the path.
void name_unheld(const char *native, char out[kNoteBytes]);
// The characters of a native relative path that its entry name gives back
// in another spelling (from_archive_name of to_archive_name), each with what
// it becomes ("デ U+30C6 U+3099 → デ U+30C7" for a decomposed デ); empty when
// it comes back as it is.
void name_respelled(const char *native, char out[kNoteBytes]);

// ---- text of other programs (UTF-8) ----------------------------------------

// A UTF-8 path as a native path: on Linux the same bytes; on Windows in the
// ANSI code page, false when a character has no exact form there.
bool native_path(const char *utf8, std::string *out);
// A native text (a path, a name, a text of the library) in UTF-8.
std::string utf8_text(const std::string &native);
// A UTF-8 password as the text a password block holds: code page 932 on
// Linux (as the desktop program holds it), the ANSI code page on Windows;
// false when a character has no form there.
bool password_text(const char *utf8, std::string *out);

// True when c starts a two-byte character of the native code page, so that a
// scan over a path steps over both bytes (a trail byte can be 0x5C, "\").
bool is_lead_byte(unsigned char c);

// The number identifying this process, for names of temporary files.
uint32_t process_id();
// False only when no process of that number runs now (one that runs under
// another user counts as running).
bool process_alive(uint32_t id);

// ---- threads ------------------------------------------------------------------

// The drivers hand work that does not depend on the data (the keystream),
// and work on what is already finished (writing, hashing), to one thread
// beside the caller's, and deflate pieces of a file on one thread per
// processor (workers.h).
struct Thread;
// Runs run(arg) on a new thread; null when none can be started (the caller
// then does the work itself). The thread takes no signals: an interruption
// reaches the caller's thread, which the cleanup below relies on.
Thread *thread_start(void (*run)(void *), void *arg);
// Waits for the thread's end and frees it.
void thread_join(Thread *t);

// A counting semaphore; null when none can be made.
struct Semaphore;
Semaphore *semaphore_new(unsigned initial);
void semaphore_post(Semaphore *s);
void semaphore_wait(Semaphore *s);
void semaphore_free(Semaphore *s);

// The processors this process may run on (at least 1).
unsigned processor_count();

// ---- the interruption's cleanup ------------------------------------------------

// What the interruption's cleanup walks (the library's temporary files) is
// changed only between cleanup_hold and cleanup_release, and the cleanup
// walks it between them too (ichiji_sakujo: from a signal handler on any
// thread of the program on Linux, from the console's control thread on
// Windows), so that it never meets a change half made, whichever threads
// change it. On Linux the holding thread's signals wait meanwhile and other
// threads spin; on Windows a lock is held. Holds do not nest.
void cleanup_hold();
void cleanup_release();

// ---- message boxes ----------------------------------------------------------

// The platform's own presentation of a library message box (no owner
// window); returns the button id (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
// yes_no_cancel boxes show the buttons "上書き", "別名保存", "処理中止".
int message_box(const char *text, const char *caption, unsigned type);

}  // namespace quill::plat

#endif
