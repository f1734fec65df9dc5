// The check of entry names read from an archive. The name is code page 932
// whatever the host's code page is, so the scan steps over double-byte
// characters by that code page's own lead-byte ranges: a trail byte may be
// 0x5C, which is "\" only when it stands alone.
#include "archive/entryname.h"

#include "platform/platform.h"

namespace quill {

namespace {

bool is_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool is_trail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

bool is_separator(unsigned char c) {
    return c == '\\' || c == '/';
}

// Where "/" is the native separator a name holding one would be cut into
// components that the writer never made.
constexpr bool kSlashRefused = plat::kSep == '/';

// A component of two or more full stops climbs a level. Windows also drops
// trailing full stops and spaces from a component, so ".. " and "..." are
// taken as climbing too; a single "." stays where it is.
bool climbs(const unsigned char *begin, const unsigned char *end) {
    int dots = 0;
    for (const unsigned char *p = begin; p < end; p++) {
        if (*p == '.')
            dots++;
        else if (*p != ' ')
            return false;
    }
    return dots >= 2;
}

}  // namespace

bool entry_name_safe(const char *name) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(name);
    if (*p == 0 || is_separator(*p)) return false;
    const unsigned char *component = p;
    for (;;) {
        const unsigned char c = *p;
        if (c == 0 || is_separator(c)) {
            if (climbs(component, p)) return false;
            if (c == 0) return true;
            if (c == '/' && kSlashRefused) return false;
            component = ++p;
            continue;
        }
        if (c < 0x20 || c == ':') return false;
        if (is_lead(c)) {
            // A lead byte without a proper trail byte would let a converter
            // drop it and expose the byte after it ("/", ":" or NUL).
            if (!is_trail(p[1])) return false;
            p += 2;
            continue;
        }
        p++;
    }
}

}  // namespace quill
