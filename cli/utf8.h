// Whether bytes are UTF-8 text: how a password file saved by a Windows
// editor is told from one in the code page, and a character the code page
// lacks from bytes that are no text at all.
#ifndef QUILLSEAL_UTF8_H
#define QUILLSEAL_UTF8_H

#include <cstddef>

// The byte order mark that Windows editors put before UTF-8 text.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr size_t kUtf8MarkBytes = 3;

// True when the n bytes are well-formed UTF-8: no stray continuation byte,
// no sequence cut short, no overlong form, no surrogate, nothing above
// U+10FFFF.
inline bool valid_utf8(const char *text, size_t n) {
    const unsigned char *s = reinterpret_cast<const unsigned char *>(text);
    for (size_t i = 0; i < n;) {
        const unsigned c = s[i];
        size_t more;
        unsigned low = 0x80, high = 0xBF;  // the range of the second byte
        if (c < 0x80) {
            more = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;   // overlong
            if (c == 0xED) high = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;   // overlong
            if (c == 0xF4) high = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (n - i - 1 < more) return false;
        for (size_t k = 1; k <= more; k++) {
            const unsigned b = s[i + k];
            if (k == 1 ? b < low || b > high : b < 0x80 || b > 0xBF) return false;
        }
        i += more + 1;
    }
    return true;
}

inline bool has_non_ascii(const char *text, size_t n) {
    for (size_t i = 0; i < n; i++)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
    return false;
}

#endif
