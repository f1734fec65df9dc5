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

namespace {

// A native line may be longer than the block's text (UTF-8 takes up to three
// bytes where code page 932 takes one): any line that can still fit is read.
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

// The line's text into the block, refused when it does not fit.
int take_line(sys::LineResult read, const char *line, Password *password) {
    if (read == sys::kLineEnd) return 0;  // an empty password; the caller says so
    if (read == sys::kLineTooLong) {
        err() << text::kPasswordTooLong;
        return 1;
    }
    if (read != sys::kLineOk) {
        err() << text::kPasswordUnreadable;
        return 1;
    }
    size_t len = 0;
    char *block = reinterpret_cast<char *>(password->block);
    const sys::TextResult converted =
        sys::password_text(line, strlen(line), block, kPasswordMax, &len);
    if (converted != sys::kTextOk) {
        sys::wipe(password->block, sizeof password->block);
        err() << (converted == sys::kTextTooLong ? text::kPasswordTooLong : text::kPasswordBadText);
        return 1;
    }
    return 0;
}

int from_terminal(const char *prompt, Password *password) {
    LineBuffer line;
    return take_line(sys::read_terminal_line(prompt, line.bytes, sizeof line.bytes, false),
                     line.bytes, password);
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
        return take_line(read, line.bytes, password);
    }
    if (o.has(kOptPassphraseFd))
        return take_line(sys::read_fd_line(o.passphrase_fd, line.bytes, sizeof line.bytes),
                         line.bytes, password);
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
