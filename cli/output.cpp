// Lines for the terminal: the pieces go out in order, each in its encoding.
#include "output.h"

#include <cstdio>

Line::~Line() {
    if (whole_) add(sys::kText, "\n");
    for (const auto &piece : pieces_)
        sys::write(stream_, piece.first, piece.second.data(), piece.second.size());
}

void Line::add(sys::Encoding encoding, const std::string &bytes) {
    if (!pieces_.empty() && pieces_.back().first == encoding)
        pieces_.back().second += bytes;
    else
        pieces_.emplace_back(encoding, bytes);
}

Line &Line::operator<<(const char *text) {
    add(sys::kText, text);
    return *this;
}

Line &Line::operator<<(const std::string &text) {
    add(sys::kText, text);
    return *this;
}

Line &Line::operator<<(Native native) {
    add(sys::kNative, native.text);
    return *this;
}

Line &Line::operator<<(Untrusted untrusted) {
    std::string shown;
    for (const char c : untrusted.text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02x", byte);
        shown += escape;
    }
    add(sys::kNative, shown);
    return *this;
}

Line &Line::operator<<(uint64_t number) {
    add(sys::kText, std::to_string(number));
    return *this;
}
