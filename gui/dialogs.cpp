// The open and save dialogs every command uses, and the building of the
// controls of both windows from their tables.

#include "app.h"  // windows.h comes before every other system header

#include <cderr.h>
#include <commdlg.h>

#include <cstring>

#include "strings.h"

std::string make_filter(std::initializer_list<std::string> parts) {
    std::string filter;
    for (const std::string &part : parts) {
        filter += part;
        filter += '\0';
    }
    return filter;  // the NUL after c_str() ends the list
}

std::string kind_filter(rules::Kind kind) {
    const rules::FileType &type = rules::kFileTypes[kind];
    const std::string pattern = std::string("*") + type.extension;
    return make_filter({std::string(type.description) + "(" + pattern + ")", pattern});
}

bool run_file_dialog(bool save, const std::string &filter, const std::string &folder,
                     const char *title, char *path) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = app.main;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPathBytes;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title;
    // A save dialog must accept a name that does not exist yet: with
    // OFN_FILEMUSTEXIST a copy could only replace an existing file.
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | (save ? 0 : OFN_FILEMUSTEXIST);
    const bool chosen = (save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)) != FALSE;
    // Too long a path comes back as an error, or, from some dialogs, as a
    // full buffer without its terminating zero.
    const bool too_long =
        chosen ? !memchr(path, '\0', kPathBytes) : CommDlgExtendedError() == FNERR_BUFFERTOOSMALL;
    if (too_long) {
        message(app.main, text::kPathTooLong, text::kCaution);
        memset(path, 0, kPathBytes);
    }
    return chosen && !too_long;
}

void create_controls(HWND window, const ControlTable &controls, HFONT font, int dpi) {
    for (const Control &c : controls) {
        const RECT r = control_rect(c, dpi);
        CreateWindowExA(c.ex_style, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, r.left, r.top,
                        r.right - r.left, r.bottom - r.top, window,
                        reinterpret_cast<HMENU>(INT_PTR(c.id)), app.instance, nullptr);
        SendDlgItemMessageA(window, c.id, WM_SETFONT, WPARAM(font), TRUE);
    }
}
