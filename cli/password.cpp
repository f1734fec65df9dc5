// Password sources. Every buffer that held the text is wiped; the text
// never reaches the arguments, the environment or the terminal's echo, and
// a text that does not fit the block is refused, never cut.
#include "password.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "digest.h"
#include "lines.h"
#include "output.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"
#include "utf8.h"

namespace {

// A line may be longer than the block's text (UTF-8 takes up to three bytes
// where code page 932 takes one, and a byte order mark three more): any line
// that can still fit is read.
constexpr size_t kLineBytes = 4 * kPasswordBytes;

struct LineBuffer {
    char bytes[kLineBytes] = {};
    ~LineBuffer() { sys::wipe(bytes, sizeof bytes); }
};

// The first line of a file, read byte by byte so that nothing is kept in a
// buffer of the C library that outlives it.
sys::LineResult read_file_line(const std::string &path, char *buf, size_t cap) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return sys::kLineError;
    std::setvbuf(f, nullptr, _IONBF, 0);
    const sys::LineResult result = assemble_line(
        [f] {
            const int c = std::fgetc(f);
            return c != EOF ? c : std::ferror(f) ? kByteError : kNoByte;
        },
        buf, cap, false);
    std::fclose(f);
    return result;
}

// How the text of a password file or descriptor is taken. Windows editors
// save UTF-8 (Notepad, with or without a byte order mark) or the code page
// ("ANSI"): a byte order mark, or valid UTF-8 holding a byte above 0x7F,
// makes it UTF-8; anything else is the code page's text as it stands. ASCII
// is the same in both. Shift-JIS text is all but never valid UTF-8: its kana
// and common kanji start with bytes 0x81..0x9F, which UTF-8 has only inside a
// character; only a text of nothing but half-width kana or rarer kanji can
// happen to be both, and is then taken as UTF-8. *text loses its mark.
sys::TextFrom file_encoding(const char **text, size_t *n) {
    if (*n >= kUtf8MarkBytes && memcmp(*text, kUtf8Mark, kUtf8MarkBytes) == 0) {
        *text += kUtf8MarkBytes;
        *n -= kUtf8MarkBytes;
        return sys::kFromUtf8;
    }
    return has_non_ascii(*text, *n) && valid_utf8(*text, *n) ? sys::kFromUtf8 : sys::kFromPage;
}

// The line's text into the block, refused when it does not fit or the code
// page cannot hold it.
int take_line(sys::LineResult read, const char *line, bool from_file, Password *password) {
    if (read == sys::kLineEnd) return 0;  // an empty password; the caller says so
    if (read == sys::kLineTooLong) {
        err() << text::kPasswordTooLong;
        return 1;
    }
    if (read != sys::kLineOk) {
        err() << text::kPasswordUnreadable;
        return 1;
    }
    size_t n = strlen(line), len = 0;
    const sys::TextFrom from = from_file ? file_encoding(&line, &n) : sys::kFromNative;
    char *block = reinterpret_cast<char *>(password->block);
    const sys::TextResult converted = sys::password_text(line, n, from, block, kPasswordMax, &len);
    if (converted == sys::kTextOk) return 0;
    sys::wipe(password->block, sizeof password->block);
    err() << (converted == sys::kTextTooLong     ? text::kPasswordTooLong
              : converted == sys::kTextNotInPage ? text::kPasswordNotInPage
                                                 : text::kPasswordBadText);
    return 1;
}

int from_terminal(const char *prompt, Password *password) {
    LineBuffer line;
    return take_line(sys::read_terminal_line(prompt, line.bytes, sizeof line.bytes, false),
                     line.bytes, false, password);
}

int from_source(const Options &o, Password *password) {
    LineBuffer line;
    if (o.has(kOptPassphraseFile)) {
        const sys::LineResult read =
            read_file_line(o.passphrase_file, line.bytes, sizeof line.bytes);
        if (read == sys::kLineError) {
            err() << Native{o.passphrase_file} << text::kPasswordFileUnreadable;
            return 1;
        }
        return take_line(read, line.bytes, true, password);
    }
    if (o.has(kOptPassphraseFd))
        return take_line(sys::read_fd_line(o.passphrase_fd, line.bytes, sizeof line.bytes),
                         line.bytes, true, password);
    // The password made from a file is Base64 text, the same in every code page.
    FilePassword made;
    if (!password_from_file(o.passphrase_from, &made)) return 1;
    memcpy(password->block, made.text, rules::kFilePasswordChars);
    return 0;
}

}  // namespace

Password::~Password() {
    sys::wipe(block, sizeof block);
}

size_t Password::length() const {
    return strlen(reinterpret_cast<const char *>(block));
}

int read_password(const Options &o, Password *password, Password *again) {
    if (o.given & kOptPassword) {
        const int status = from_source(o, password);
        if (status == 0 && again) memcpy(again->block, password->block, kPasswordBytes);
        return status;
    }
    if (!sys::can_ask()) {
        err() << text::kNoTerminal;
        return 64;
    }
    int status = from_terminal(text::kPasswordPrompt, password);
    if (status == 0 && again) status = from_terminal(text::kPasswordAgainPrompt, again);
    return status;
}

int unlock(const Options &o, const std::string &secret_key, Password *password) {
    const int status = read_password(o, password);
    if (status != 0) return status;
    if (password->length() == 0) {
        err() << text::kEnterPassword;
        return 1;
    }
    if (password_check(secret_key.c_str(), password->block) != 0) {
        err() << Native{secret_key} << ": " << text::kWrongPassword;
        return 1;
    }
    return 0;
}
