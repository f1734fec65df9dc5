// The seam on Linux: UTF-8 everywhere, the terminal through termios, the
// key folders under the XDG data folder.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "lines.h"
#include "rules.h"
#include "system.h"
#include "utf8.h"

namespace sys {

namespace {

// Where questions are read: standard input, or the controlling terminal
// once standard input carries data (-1: there is none).
int question_fd = STDIN_FILENO;

// The terminal's settings while echo is off, restored by the signal handlers
// too: an interrupted password prompt must not leave the terminal silent.
termios saved_terminal;
volatile sig_atomic_t echo_off = 0;
// What the password prompt catches besides the interruptions, which
// on_interrupt's handler takes for the whole run.
constexpr int kSignals[] = {SIGQUIT, SIGTSTP};
struct sigaction saved_actions[sizeof kSignals / sizeof kSignals[0]];

void restore_terminal() {
    if (echo_off) tcsetattr(question_fd, TCSAFLUSH, &saved_terminal);
    echo_off = 0;
}

void restore_and_raise(int signal) {
    restore_terminal();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void (*interrupt_cleanup)() = nullptr;

// The run's own folder, complete in the buffer before scratch_made is set,
// so that a signal handler reads all of it or nothing.
char scratch_path[kPathBytes];
volatile sig_atomic_t scratch_made = 0;

constexpr int kDeepest = 64;  // folders below the run's own folder that are removed

// Removes name in the folder dir, a folder with everything in it, with the
// system calls alone, so that a signal handler may do it. A link is removed,
// never followed.
void remove_at(int dir, const char *name, int depth) {
    if (unlinkat(dir, name, 0) == 0 || errno == ENOENT || depth > kDeepest) return;
    const int fd = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    // Reading on after a removal may pass over a name: the folder is read
    // again until a reading finds nothing.
    for (int reading = 0; reading < 8; reading++) {
        bool found = false;
        lseek(fd, 0, SEEK_SET);
        alignas(dirent64) char buf[2048];
        ssize_t n;
        while ((n = getdents64(fd, buf, sizeof buf)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const dirent64 *e = reinterpret_cast<const dirent64 *>(buf + at);
                at += e->d_reclen;
                if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
                remove_at(fd, e->d_name, depth + 1);
                found = true;
            }
        }
        if (!found) break;
    }
    close(fd);
    unlinkat(dir, name, AT_REMOVEDIR);
}

// Signal 0 only asks whether the process exists; only "no such process"
// lets its scratch folder go.
bool process_alive(long id) {
    return kill(pid_t(id), 0) == 0 || errno != ESRCH;
}

// The folders ".quillseal-<process>.tmp" in folder whose process has ended.
void sweep_scratch(const std::string &folder) {
    DIR *dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent *e = readdir(dir)) {
        long id = 0;
        int used = 0;
        if (sscanf(e->d_name, ".quillseal-%ld.tmp%n", &id, &used) != 1 || e->d_name[used] != '\0' ||
            id <= 0 || id == long(getpid()) || process_alive(id))
            continue;
        remove_at(dirfd(dir), e->d_name, 0);
    }
    closedir(dir);
}

// Only what is safe in a signal handler: the terminal, the cleanup, a line
// end after a progress bar or a prompt, and the end.
void interrupted(int signal) {
    restore_terminal();
    if (interrupt_cleanup) interrupt_cleanup();
    if (scratch_made) remove_at(AT_FDCWD, scratch_path, 0);
    const char line_end = '\n';
    if (isatty(STDERR_FILENO) && ::write(STDERR_FILENO, &line_end, 1) < 0) {
        // Nothing more can be said.
    }
    _exit(128 + signal);
}

void catch_signals() {
    struct sigaction action = {};
    action.sa_handler = restore_and_raise;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; i++)
        sigaction(kSignals[i], &action, &saved_actions[i]);
}

void release_signals() {
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; i++)
        sigaction(kSignals[i], &saved_actions[i], nullptr);
}

// The next byte of a descriptor, waiting through interruptions.
int next_byte(int fd) {
    unsigned char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 1) return c;
        if (n == 0) return kNoByte;
        if (errno != EINTR) return kByteError;
    }
}

// Converts n bytes of text between two encodings into out (cap bytes);
// *len receives the bytes written. 0, or the errno of the failure (E2BIG:
// out is too small).
int convert(const char *to, const char *from, const char *text, size_t n, char *out, size_t cap,
            size_t *len) {
    *len = 0;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return EINVAL;
    char *src = const_cast<char *>(text);
    size_t src_left = n;
    char *dst = out;
    size_t dst_left = cap;
    int failure = 0;
    if (iconv(cd, &src, &src_left, &dst, &dst_left) == size_t(-1) ||
        iconv(cd, nullptr, nullptr, &dst, &dst_left) == size_t(-1))
        failure = errno;
    else if (src_left != 0)
        failure = EILSEQ;
    iconv_close(cd);
    *len = cap - dst_left;
    return failure;
}

}  // namespace

bool japanese_user() {
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *locale = getenv(name);
        if (!locale || !*locale) continue;
        // language[_territory][.codeset][@modifier]: the language is "ja".
        return strncmp(locale, "ja", 2) == 0 &&
               (locale[2] == '\0' || strchr("_.@", locale[2]) != nullptr);
    }
    return false;
}

void on_interrupt(void (*cleanup)()) {
    interrupt_cleanup = cleanup;
    struct sigaction action = {};
    action.sa_handler = interrupted;
    // No second interruption breaks into the first one's cleanup.
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

bool is_separator(char c) {
    return c == '/';
}

size_t name_start(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool arguments(int argc, char **argv, std::vector<std::string> *out, size_t *) {
    out->assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    return true;
}

bool is_terminal(Stream s) {
    return isatty(s == kOut ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

size_t terminal_columns(Stream s) {
    winsize size = {};
    if (ioctl(s == kOut ? STDOUT_FILENO : STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    const char *columns = getenv("COLUMNS");
    const long n = columns ? strtol(columns, nullptr, 10) : 0;
    return n > 0 && n < 10000 ? size_t(n) : 80;
}

size_t text_columns(const std::string &text) {
    // UTF-8: a character of three or four bytes is a wide one, but for the
    // half-width katakana (U+FF61..U+FF9F).
    size_t columns = 0;
    for (size_t i = 0; i < text.size(); i++) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;
        const bool half_kana =
            c == 0xEF && i + 2 < text.size() &&
            ((text[i + 1] == '\xBD' && static_cast<unsigned char>(text[i + 2]) >= 0xA1) ||
             text[i + 1] == '\xBE');
        columns += c >= 0xE0 && !half_kana ? 2 : 1;
    }
    return columns;
}

bool can_ask() {
    return isatty(question_fd) == 1 && isatty(STDERR_FILENO) == 1;
}

void ask_on_console() {
    question_fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
}

void write(Stream s, Encoding, const char *bytes, size_t n) {
    const int fd = s == kOut ? STDOUT_FILENO : STDERR_FILENO;
    while (n > 0) {
        const ssize_t done = ::write(fd, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return;  // a closed pipe: nothing more can be said
        bytes += done;
        n -= size_t(done);
    }
}

LineResult read_terminal_line(const char *prompt, char *buf, size_t cap, bool echo) {
    if (echo) {
        write(kErr, kText, prompt, strlen(prompt));
        return assemble_line([] { return next_byte(question_fd); }, buf, cap, true);
    }
    if (tcgetattr(question_fd, &saved_terminal) != 0) return kLineError;
    termios quiet = saved_terminal;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    catch_signals();
    echo_off = 1;
    if (tcsetattr(question_fd, TCSAFLUSH, &quiet) != 0) {
        echo_off = 0;
        release_signals();
        return kLineError;
    }
    write(kErr, kText, prompt, strlen(prompt));
    const LineResult result = assemble_line([] { return next_byte(question_fd); }, buf, cap, true);
    tcsetattr(question_fd, TCSAFLUSH, &saved_terminal);
    echo_off = 0;
    release_signals();
    // The line end typed was not echoed either.
    write(kErr, kText, "\n", 1);
    return result;
}

LineResult read_fd_line(int fd, char *buf, size_t cap) {
    return assemble_line([fd] { return next_byte(fd); }, buf, cap, false);
}

TextResult password_text(const char *text, size_t n, TextFrom from, char *out, size_t cap,
                         size_t *len) {
    if (from == kFromPage) {
        // Taken as it stands, as Windows takes it, once it proves to be code
        // page 932: converting there and back could change a character that
        // has two codes.
        *len = 0;
        if (n > cap) return kTextTooLong;
        std::string scratch(3 * n, '\0');  // a byte of 932 takes at most three of UTF-8
        size_t converted = 0;
        const int failed =
            convert("UTF-8", "CP932", text, n, scratch.data(), scratch.size(), &converted);
        wipe(scratch.data(), scratch.size());
        if (failed) return kTextInvalid;
        memcpy(out, text, n);
        *len = n;
        return kTextOk;
    }
    switch (convert("CP932", "UTF-8", text, n, out, cap, len)) {
        case 0:
            return kTextOk;
        case E2BIG:
            return kTextTooLong;
        default:
            // A character that code page 932 lacks, or bytes that are no UTF-8.
            return valid_utf8(text, n) ? kTextNotInPage : kTextInvalid;
    }
}

void wipe(void *p, size_t n) {
    explicit_bzero(p, n);
}

bool key_base_folder(std::string *folder) {
    // The XDG rule: a relative XDG_DATA_HOME is ignored.
    const char *data = getenv("XDG_DATA_HOME");
    const char *home = getenv("HOME");
    if (data && data[0] == '/') {
        *folder = data;
    } else if (home && home[0] == '/') {
        *folder = std::string(home) + "/.local/share";
    } else {
        return false;
    }
    if (folder->back() != '/') *folder += '/';
    *folder += std::string(rules::kKeyFolder) + "/";
    return folder->size() < kPathBytes;
}

bool make_folders(const std::string &path, bool private_folder) {
    // Every missing folder above it is created for its owner alone, as the
    // XDG data folder is.
    for (size_t i = 1; i <= path.size(); i++) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string prefix = path.substr(0, i);
        const bool last = i >= path.size() - 1;
        mkdir(prefix.c_str(), last && !private_folder ? 0755 : 0700);
    }
    return kind(path) == kFolder;
}

Kind kind(const std::string &path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return kMissing;
    if (S_ISREG(st.st_mode)) return kFile;
    if (S_ISDIR(st.st_mode)) return kFolder;
    return kOther;
}

Readable readable(const std::string &path, char *start, size_t want, size_t *got) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? kNoSuchFile
               : errno == EACCES                   ? kDenied
                                                   : kUnreadable;
    if (S_ISDIR(st.st_mode)) return kIsFolder;
    if (!S_ISREG(st.st_mode)) return kNotRegular;
    // Without O_NONBLOCK a file turned into a FIFO meanwhile could hold the
    // program for ever.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EPERM ? kDenied : kUnreadable;
    size_t have = 0;
    bool failed = false;
    while (start && have < want) {
        const ssize_t n = read(fd, start + have, want - have);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        have += size_t(n);
    }
    ::close(fd);
    if (got) *got = have;
    return failed ? kUnreadable : kReads;
}

bool full_path(const std::string &typed, std::string *out) {
    std::string path = typed;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return false;
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    if (folder.empty()) folder = "/";
    // "." and ".." name folders whose own names are found only by resolving.
    const bool whole = name.empty() || name == "." || name == ".." || path == "/";
    char *resolved = realpath((whole ? path : folder).c_str(), nullptr);
    if (!resolved) return false;
    std::string result = resolved;
    free(resolved);
    if (!whole) result += (result == "/" ? "" : "/") + name;
    if (result.size() >= kPathBytes) return false;
    *out = result;
    return true;
}

std::vector<std::string> names_in(const std::string &folder, const char *ext) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    if (!dir) return names;
    const size_t ext_len = strlen(ext);
    while (const dirent *e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() <= ext_len || name.compare(name.size() - ext_len, ext_len, ext) != 0)
            continue;
        if (kind(folder + name) != kFile) continue;
        names.push_back(name.substr(0, name.size() - ext_len));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> entries(const std::string &folder) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent *e = readdir(dir))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    closedir(dir);
    return names;
}

bool rename_file(const std::string &from, const std::string &to, bool replace) {
    if (replace) return rename(from.c_str(), to.c_str()) == 0;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // A file system without the flag: a second link, which fails on a taken
    // name too.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
}

namespace {

// Writes n bytes whole, through interruptions.
bool write_all(int fd, const char *bytes, size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes += done;
        n -= size_t(done);
    }
    return true;
}

// The bytes of one descriptor to another, to the end of the first.
Copy copy_fd(int from, int to) {
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return kSourceFailed;
        if (n == 0) return kCopied;
        if (!write_all(to, buf, size_t(n))) return kTargetFailed;
    }
}

}  // namespace

bool copy_file(const std::string &from, const std::string &to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    // Named as the library names its temporary files, so that what a run
    // ended outright leaves is removed by the next run that writes here.
    const std::string temp =
        to.substr(0, name_start(to)) + ".quillseal-" + std::to_string(getpid()) + "-0.part";
    const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool done = out >= 0 && copy_fd(in, out) == kCopied && fsync(out) == 0;
    if (out >= 0) done = close(out) == 0 && done;
    close(in);
    done = done && rename(temp.c_str(), to.c_str()) == 0;
    if (!done) {
        if (out >= 0) unlink(temp.c_str());
        return false;
    }
    const int folder =
        open(to.substr(0, name_start(to)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

Copy save_input(const std::string &path) {
    const int out = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) return kTargetFailed;
    const Copy copied = copy_fd(STDIN_FILENO, out);
    return close(out) == 0 || copied != kCopied ? copied : kTargetFailed;
}

Copy send_file(const std::string &path) {
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return kSourceFailed;
    const Copy copied = copy_fd(in, STDOUT_FILENO);
    close(in);
    return copied;
}

bool make_scratch(const std::string &parent, std::string *path) {
    std::string base = parent;
    if (base.empty()) {
        const char *temp = getenv("TMPDIR");
        base = temp && temp[0] == '/' ? temp : "/tmp";
        if (base.back() != '/') base += '/';
    }
    sweep_scratch(base);
    const std::string folder = base + ".quillseal-" + std::to_string(getpid()) + ".tmp";
    if (scratch_made || folder.size() + 2 > kPathBytes) return false;
    folder.copy(scratch_path, folder.size());
    scratch_path[folder.size()] = '\0';
    scratch_made = 1;
    // A name already taken is a run's of this process number that ended
    // outright (or a link someone put there): removed, never used.
    if (mkdir(folder.c_str(), 0700) != 0) {
        remove_at(AT_FDCWD, folder.c_str(), 0);
        if (mkdir(folder.c_str(), 0700) != 0) {
            scratch_made = 0;
            return false;
        }
    }
    *path = folder + "/";
    return true;
}

void remove_scratch() {
    if (!scratch_made) return;
    remove_at(AT_FDCWD, scratch_path, 0);
    scratch_made = 0;
}

bool local_time(int64_t seconds, std::tm *out) {
    const time_t t = time_t(seconds);
    return localtime_r(&t, out) != nullptr;
}

}  // namespace sys
