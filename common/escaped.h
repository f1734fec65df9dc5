// Text from a folder listing or an archive shown on one line of a message
// or a terminal: control characters (and DEL) as \xNN, so that a name can
// neither steer a terminal nor break a list of names into false lines.
// Every other byte stays, so double-byte characters pass whole (no byte of
// code page 932 or UTF-8 above the first is a control character).
#ifndef QUILL_COMMON_ESCAPED_H
#define QUILL_COMMON_ESCAPED_H

#include <cstdio>
#include <string>

inline std::string escaped(const std::string &text) {
    std::string shown;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02x", byte);
        shown += escape;
    }
    return shown;
}

#endif
