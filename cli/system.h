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
// closed console, 129 for SIGHUP. cleanup must be fit for a signal handler.
void on_interrupt(void (*cleanup)());

// ---- the terminal -------------------------------------------------------------

enum Stream { kOut, kErr };
enum Encoding {
    kText,    // the program's and the library's texts
    kNative,  // paths and other native text
};

bool is_terminal(Stream s);
// True when lines can be asked for: standard input and standard error are
// both a terminal.
bool can_ask();
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
// read it meanwhile), and if not, why.
enum Readable { kReads, kNoSuchFile, kIsFolder, kNotRegular, kDenied, kInUse, kUnreadable };
Readable readable(const std::string &path);
// The full path of a path as typed: absolute, its folders resolved, its own
// last component kept as it is (a link stays a link). False when the folder
// does not exist or the result would not fit a path buffer.
bool full_path(const std::string &path, std::string *out);
// The names, without the extension, of the files in folder (separator
// included) whose names end in ext.
std::vector<std::string> names_in(const std::string &folder, const char *ext);

// The local time of a moment in seconds since 1970; false when it has none.
bool local_time(int64_t seconds, std::tm *out);

}  // namespace sys

#endif
