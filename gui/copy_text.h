// Copies of text into the program's fixed-size buffers that refuse rather
// than cut: a path cut short could name some other file.
#ifndef QUILLGUI_COPY_TEXT_H
#define QUILLGUI_COPY_TEXT_H

#include <cstddef>
#include <cstring>

// Copies src and its NUL into dst, zero-filled behind it, when they fit;
// otherwise leaves dst as it was and returns false. src may lie in dst.
template <size_t N>
[[nodiscard]] bool copy_text(char (&dst)[N], const char *src) {
    const size_t len = strlen(src);
    if (len >= N) return false;
    memmove(dst, src, len);
    memset(dst + len, 0, N - len);
    return true;
}

#endif
