// The operating-system seam of the command-line program: the terminal, the
// console's encoding, the command line, the key folders and the few file
// system questions the program asks itself. Everything above this header is
// shared; one implementation file per platform lies beside it.
//
// Native text (paths, typed lines) is UTF-8 on Linux and the ANSI code page
// on Windows. The program's and the library's texts are UTF-8 on Linux and
// code page 932 on Windows.
#ifndef QUILLSEAL_SYSTEM_H
#define QUILLSEAL_SYSTEM_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace sys {

#if defined(_WIN32)
constexpr char kSep = '\\';
constexpr size_t kPathBytes = 260;  // the library's path buffers, NUL included
#else
constexpr char kSep = '/';
constexpr size_t kPathBytes = 4096;
#endif

// The separators of a native path (on Windows also "/" and a drive's ":").
bool is_separator(char c);
// Where the last component of a native path starts, just after its last
// separator (on Windows a trail byte 0x5C is no separator).
size_t name_start(const std::string &path);

// ---- the command line -------------------------------------------------------

// The arguments after the program's name as native text. False when one
// cannot be represented so (on Windows: a character outside the ANSI code
// page, which would otherwise name some other file); *bad then holds its
// number, counted from 1.
bool arguments(int argc, char **argv, std::vector<std::string> *out, size_t *bad);

// ---- the user's language ------------------------------------------------------

// True when the user reads the program in Japanese: on Linux the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty names a Japanese
// locale (none set is the C locale, which is not); on Windows the user's
// interface language is Japanese.
bool japanese_user();

// ---- interruptions ------------------------------------------------------------

// From here on, an interruption (on Linux SIGINT, SIGTERM and SIGHUP; on
// Windows Ctrl-C, Ctrl-Break and closing the console) restores the
// terminal, runs cleanup, and ends the program at once with 128 + the
// signal's number: 130 for Ctrl-C and Ctrl-Break, 143 for SIGTERM and a
// closed console, 129 for SIGHUP. cleanup must be fit for a signal handler;
// the run's own folder (make_scratch) is removed after it. A reader of
// standard output that has gone ends no run: the write fails instead.
void on_interrupt(void (*cleanup)());

// ---- the terminal -------------------------------------------------------------

enum Stream { kOut, kErr };
enum Encoding {
    kText,    // the program's and the library's texts
    kNative,  // paths and other native text
};

bool is_terminal(Stream s);
// The width in columns of the terminal the stream writes to: its window's
// (on Windows the console's buffer information), else COLUMNS, else 80.
size_t terminal_columns(Stream s);
// The columns a text (the program's encoding) takes on the terminal.
size_t text_columns(const std::string &text);
// True when lines can be asked for: the input that questions are read from
// (standard input, or the console after ask_on_console) and standard error
// are both a terminal.
bool can_ask();
// From here on passwords and other questions are read from the console
// (Linux: the controlling terminal; Windows: CONIN$), not from standard
// input, which carries data.
void ask_on_console();
// Writes the bytes in the terminal's encoding (on Windows: through the wide
// console functions to a console, else in the ANSI code page).
void write(Stream s, Encoding e, const char *bytes, size_t n);

enum LineResult {
    kLineOk,
    kLineEnd,      // the input ended before any byte
    kLineTooLong,  // more than cap - 1 bytes; the rest of the line was read and dropped
    kLineError,    // unreadable, or (Windows) not representable as native text
};
// Shows the prompt (a text) on standard error and reads one line of standard
// input's terminal as native text, without its line end; echo off for
// passwords, from before the prompt shows, so that nothing typed after it
// is ever echoed (the terminal is restored however it ends).
LineResult read_terminal_line(const char *prompt, char *buf, size_t cap, bool echo);
// One line from an open file descriptor, byte by byte, so that nothing after
// the line is consumed.
LineResult read_fd_line(int fd, char *buf, size_t cap);

// ---- passwords --------------------------------------------------------------------

// Where the text of a password comes from: typed (native text), or a file
// or descriptor whose text is UTF-8 or already in the block's code page.
enum TextFrom { kFromNative, kFromUtf8, kFromPage };
enum TextResult {
    kTextOk,
    kTextTooLong,
    kTextNotInPage,  // a character the block's code page cannot hold
    kTextInvalid,    // bytes that are no text in the encoding they came in
};
// The text of a password block, in the block's code page: on Windows the
// ANSI code page, as the desktop program reads it from its field (native
// text and code page text as they are, UTF-8 converted); on Linux code page
// 932, so that a key file opens with the same password on both systems
// (native text and UTF-8 converted, code page text as it is once it proves
// to be code page 932). *len receives its length.
TextResult password_text(const char *text, size_t n, TextFrom from, char *out, size_t cap,
                         size_t *len);
// Zeroes memory in a way the compiler keeps.
void wipe(void *p, size_t n);

// ---- files and folders ------------------------------------------------------------

// The folder that holds the key folders ("quillseal" under the per-user data
// folder), its separator included. False when it cannot be found.
bool key_base_folder(std::string *folder);
// Creates the folder and any missing folders above it; a private folder is
// readable by its owner alone. True when it exists afterwards.
bool make_folders(const std::string &path, bool private_folder);

enum Kind { kMissing, kFile, kFolder, kOther };
// What the path names, following links.
Kind kind(const std::string &path);
// Whether a file opens for reading as the library opens it (others may
// read it meanwhile), and if not, why. With start, its first bytes (up to
// want) are read from that one opening into start, their count into *got.
enum Readable { kReads, kNoSuchFile, kIsFolder, kNotRegular, kDenied, kInUse, kUnreadable };
Readable readable(const std::string &path, char *start = nullptr, size_t want = 0,
                  size_t *got = nullptr);
// The full path of a path as typed: absolute, its folders resolved, its own
// last component kept as it is (a link stays a link). False when the folder
// does not exist or the result would not fit a path buffer.
bool full_path(const std::string &path, std::string *out);
// The names, without the extension, of the files in folder (separator
// included) whose names end in ext.
std::vector<std::string> names_in(const std::string &folder, const char *ext);

// The names in a folder (separator included), "." and ".." left out.
std::vector<std::string> entries(const std::string &folder);
// Gives a file the name to, in the same file system: replacing a file
// there when replace, else only when nothing has that name.
bool rename_file(const std::string &from, const std::string &to, bool replace);
// Copies a file (a key file) to to through a new file beside it, which takes
// the name only once it is complete, replacing a file there.
bool copy_file(const std::string &from, const std::string &to);

// ---- data through standard input and output -------------------------------------

enum Copy { kCopied, kSourceFailed, kTargetFailed };
// Standard input, byte for byte to its end, into a new file at path,
// readable by its owner alone.
Copy save_input(const std::string &path);
// The file's bytes to standard output as they are; kTargetFailed also when
// the reader has gone (a closed pipe).
Copy send_file(const std::string &path);

// ---- the run's own folder ---------------------------------------------------------

// A new folder of this run, readable by its owner alone, in parent (with its
// separator) or, when parent is empty, in the system's temporary folder;
// *path receives it with its separator. It holds what has no place of its
// own: standard input saved as a file, an archive on its way to standard
// output, a restored file on its way to its name. It is removed with
// everything in it by remove_scratch and by an interruption; what a run
// ended outright left is removed by the next run that makes one in the same
// folder. One at a time.
bool make_scratch(const std::string &parent, std::string *path);
void remove_scratch();

// The local time of a moment in seconds since 1970; false when it has none.
bool local_time(int64_t seconds, std::tm *out);

}  // namespace sys

#endif
