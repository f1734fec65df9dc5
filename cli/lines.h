// Assembles one line of input from a source of bytes, for every way the
// program reads a line (the terminal, a descriptor, a file). The line end
// ("\n", or "\r\n") is dropped; a line that does not fit is reported, never
// cut, and so is one that holds a NUL.
#ifndef QUILLSEAL_LINES_H
#define QUILLSEAL_LINES_H

#include <cstddef>

#include "system.h"

// next() returns the next byte (0..255), kNoByte at the end of the input or
// kByteError.
constexpr int kNoByte = -1;
constexpr int kByteError = -2;

// drain: a line too long is still read to its end, as typed at a terminal,
// where what is left would otherwise reach the next program that reads
// (the shell); a file or descriptor is read no further, however long it is.
template <typename Next>
sys::LineResult assemble_line(Next next, char *buf, size_t cap, bool drain) {
    size_t len = 0;
    bool any = false, too_long = false, carriage_return = false, zero = false;
    const auto put = [&](char c) {
        if (len + 1 < cap)
            buf[len++] = c;
        else
            too_long = true;
    };
    for (;;) {
        const int c = next();
        if (c == kByteError) {
            sys::wipe(buf, cap);
            return sys::kLineError;
        }
        if (c == kNoByte) {
            if (!any) return sys::kLineEnd;
            break;
        }
        any = true;
        if (c == '\n') break;
        // A NUL would end the text early: the line is refused, not cut.
        zero = zero || c == 0;
        // A "\r" counts only when no "\n" follows it.
        if (carriage_return) put('\r');
        carriage_return = c == '\r';
        if (!carriage_return) put(char(c));
        if (too_long && !drain) break;
    }
    if (too_long || zero) {
        sys::wipe(buf, cap);
        return too_long ? sys::kLineTooLong : sys::kLineError;
    }
    buf[len] = '\0';
    return sys::kLineOk;
}

#endif
