// Characters of a name as a message shows them: the characters themselves
// where the message's code page has them, then each code point
// ("é U+00E9", and "デ U+30C6 U+3099" for a decomposed デ), so that a user
// can tell apart names that look the same and find the one character that
// matters.
#ifndef QUILL_CHARACTERS_H
#define QUILL_CHARACTERS_H

#include <cstdio>
#include <string>

#include "messages.h"

namespace quill::chars {

// A combining mark, shown with the character it follows: the combining
// diacritical marks and their supplements, the voiced and semi-voiced kana
// marks, the variation selectors.
inline bool is_mark(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) || c == 0x3099 ||
           c == 0x309A;
}

// " U+XXXX" for each character of [begin, end).
inline void append_code_points(std::string *s, const char32_t *begin, const char32_t *end) {
    for (const char32_t *c = begin; c < end; c++) {
        char code[16];
        std::snprintf(code, sizeof code, " U+%04X", unsigned(*c));
        *s += code;
    }
}

// Where a character cluster around characters [first, last) of a name
// begins and ends: a mark takes the character before it, and the marks
// after go with it.
inline void widen_to_cluster(const char32_t *name, size_t length, size_t *first, size_t *last) {
    if (*first > 0 && is_mark(name[*first])) --*first;
    while (*last < length && is_mark(name[*last])) ++*last;
}

// A note into out[0..cap-1]; one too long is cut after a whole character
// and ends in "…". Notes are UTF-8 on Linux and ASCII on Windows, so a byte
// 0x80-0xBF never begins a character.
inline void copy_note(const std::string &note, char *out, size_t cap) {
    if (cap == 0) return;
    std::string s = note;
    if (s.size() >= cap) {
        const std::string more = msg::kMore;
        size_t keep = cap > more.size() ? cap - 1 - more.size() : 0;
        while (keep > 0 && (static_cast<unsigned char>(s[keep]) & 0xC0) == 0x80) keep--;
        s = s.substr(0, keep) + (keep + more.size() < cap ? more : "");
    }
    s.copy(out, s.size());
    out[s.size()] = '\0';
}

}  // namespace quill::chars

#endif
