// Lines for the terminal: the pieces go out in order, each in its encoding.
#include "output.h"

#include "escaped.h"

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
    add(sys::kNative, escaped(untrusted.text));
    return *this;
}

Line &Line::operator<<(uint64_t number) {
    add(sys::kText, std::to_string(number));
    return *this;
}
