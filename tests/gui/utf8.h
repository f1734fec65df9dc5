// Code page 932 text as UTF-8, for logs that read the same on any terminal.
#ifndef QUILLGUI_TEST_UTF8_H
#define QUILLGUI_TEST_UTF8_H

#include <windows.h>

#include <string>

inline std::string to_utf8(const std::string &cp932) {
    if (cp932.empty()) return {};
    const int wide_len = MultiByteToWideChar(932, 0, cp932.data(), int(cp932.size()), nullptr, 0);
    std::wstring wide(size_t(wide_len), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), int(cp932.size()), wide.data(), wide_len);
    const int len =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, out.data(), len, nullptr, nullptr);
    return out;
}

#endif
