// The check of entry names read from an archive. The name is code page 932
// whatever the host's code page is, so the scan steps over double-byte
// characters by that code page's own lead-byte ranges.
#include "format/entryname.h"

#include <cstddef>
#include <string>

#include "cp932.h"

namespace quill {

namespace {

bool is_separator(unsigned char c) {
    return c == '\\' || c == '/';
}

// Where "/" is the native separator a name holding one would be cut into
// components that the writer never made.
constexpr bool kSlashRefused = plat::kSep == '/';

// "." names the folder itself and a component of two or more full stops
// climbs a level. Windows also drops trailing full stops and spaces from a
// component, so ".. " and "..." are taken as climbing too.
bool only_dots(const unsigned char *begin, const unsigned char *end) {
    int dots = 0;
    for (const unsigned char *p = begin; p < end; p++) {
        if (*p == '.')
            dots++;
        else if (*p != ' ')
            return false;
    }
    return dots >= 1;
}

unsigned char upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// The component names a device on Windows: one of the reserved names, alone
// or before an extension.
bool device_name(const unsigned char *begin, const unsigned char *end) {
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    static const char *const kNumbered[] = {"COM", "LPT"};
    const unsigned char *stem_end = begin;
    while (stem_end < end && *stem_end != '.') stem_end++;
    const size_t stem = size_t(stem_end - begin);
    const auto same = [&](const char *word, size_t n) {
        for (size_t i = 0; i < n; i++)
            if (upper(begin[i]) != static_cast<unsigned char>(word[i])) return false;
        return true;
    };
    for (const char *word : kDevices) {
        size_t n = 0;
        while (word[n]) n++;
        if (stem == n && same(word, n)) return true;
    }
    for (const char *word : kNumbered)
        if (stem == 4 && same(word, 3) && begin[3] >= '1' && begin[3] <= '9') return true;
    return false;
}

// One component [begin, end) of a name.
bool component_safe(const unsigned char *begin, const unsigned char *end, bool windows_names) {
    if (begin == end || only_dots(begin, end)) return false;
    if (windows_names && (end[-1] == '.' || end[-1] == ' ' || device_name(begin, end)))
        return false;
    return true;
}

// The full-width form of an ASCII character in code page 932, for the
// characters a name may need so; empty for any other.
std::string full_width(unsigned char c) {
    static const struct {
        char ascii;
        char wide[3];
    } kMarks[] = {
        {':', "\x81\x46"}, {'*', "\x81\x96"}, {'?', "\x81\x48"}, {'"', "\xFA\x57"},
        {'<', "\x81\x83"}, {'>', "\x81\x84"}, {'|', "\x81\x62"}, {'.', "\x81\x44"},
        {' ', "\x81\x40"}, {'$', "\x81\x90"},
    };
    for (const auto &m : kMarks)
        if (m.ascii == char(c)) return m.wide;
    // Ｏ is 82 6E, ｏ 82 8F, ０ 82 4F: the letters and digits run in order.
    const auto pair = [](unsigned base) { return std::string{char(0x82), char(base)}; };
    if (c >= 'A' && c <= 'Z') return pair(0x60u + (c - 'A'));
    if (c >= 'a' && c <= 'z') return pair(0x81u + (c - 'a'));
    if (c >= '0' && c <= '9') return pair(0x4Fu + (c - '0'));
    return std::string();
}

// One component as Windows can hold it: each reserved character (a trail
// byte may be "|": double-byte characters are stepped over), a device
// name's stem, and the full stops and spaces at its end in full width.
std::string windows_component(const unsigned char *begin, const unsigned char *end, bool *changed) {
    const bool device = device_name(begin, end);
    const unsigned char *trailing = end;
    while (trailing > begin && (trailing[-1] == '.' || trailing[-1] == ' ')) trailing--;
    std::string out;
    bool in_stem = device;
    for (const unsigned char *p = begin; p < end; ++p) {
        if (cp932::is_lead(*p) && p + 1 < end) {
            out += char(p[0]);
            out += char(*++p);
            continue;
        }
        if (*p == '.') in_stem = false;
        const bool reserved = std::string(":*?\"<>|").find(char(*p)) != std::string::npos;
        if (reserved || in_stem || p >= trailing) {
            out += full_width(*p);
            *changed = true;
        } else {
            out += char(*p);
        }
    }
    return out;
}

}  // namespace

std::string windows_spelling(const char *name, bool *changed) {
    *changed = false;
    std::string out;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(name);
    const unsigned char *component = p;
    for (;; ++p) {
        if (*p == 0 || *p == '\\' || *p == '/') {
            out += windows_component(component, p, changed);
            if (*p == 0) return out;
            out += char(*p);
            component = p + 1;
        } else if (cp932::is_lead(*p) && p[1]) {
            ++p;
        }
    }
}

bool entry_name_safe(const char *name, bool windows_names) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(name);
    const unsigned char *component = p;
    for (;;) {
        const unsigned char c = *p;
        if (c == 0 || is_separator(c)) {
            if (!component_safe(component, p, windows_names)) return false;
            if (c == 0) return true;
            if (c == '/' && kSlashRefused) return false;
            component = ++p;
            continue;
        }
        if (c < 0x20) return false;
        if (cp932::is_lead(c)) {
            // A lead byte without a proper trail byte would let a converter
            // drop it and expose the byte after it ("/", ":" or NUL).
            if (!cp932::is_trail(p[1])) return false;
            p += 2;
            continue;
        }
        p++;
    }
}

}  // namespace quill
