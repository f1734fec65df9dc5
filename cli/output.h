// Lines for the terminal, put together from pieces of two encodings: the
// program's and the library's texts, and native text (paths, names). A line
// is written, with its line end, when the statement that built it ends;
// a partial line (a prompt, the progress bar) has none.
#ifndef QUILLSEAL_OUTPUT_H
#define QUILLSEAL_OUTPUT_H

#include <cstdint>
#include <string>
#include <vector>

#include "system.h"

// Native text, as the operating system names files.
struct Native {
    const std::string &text;
};

// Native text from an archive or a folder listing, which may hold control
// characters: they are shown as \xNN so that they cannot steer the terminal.
struct Untrusted {
    const std::string &text;
};

class Line {
  public:
    Line(sys::Stream stream, bool whole) : stream_(stream), whole_(whole) {}
    ~Line();
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;

    Line &operator<<(const char *text);
    Line &operator<<(const std::string &text);
    Line &operator<<(Native native);
    Line &operator<<(Untrusted untrusted);
    Line &operator<<(uint64_t number);

  private:
    void add(sys::Encoding encoding, const std::string &bytes);

    sys::Stream stream_;
    bool whole_;
    std::vector<std::pair<sys::Encoding, std::string>> pieces_;
};

inline Line out() {
    return Line(sys::kOut, true);
}
inline Line err() {
    return Line(sys::kErr, true);
}
// Standard error without a line end.
inline Line partial() {
    return Line(sys::kErr, false);
}

#endif
