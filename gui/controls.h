// The program's two windows as tables: each window's style, outer size and
// controls. The program builds its windows from them, and its tests check the
// built windows against them.
#ifndef QUILLGUI_CONTROLS_H
#define QUILLGUI_CONTROLS_H

#include <windows.h>

#include <cstddef>

// One row of a window's table of controls; every control also gets WS_CHILD
// and WS_VISIBLE.
struct Control {
    int id;
    const char *cls;
    const char *text;
    DWORD style;
    DWORD ex_style;
    int x, y, w, h;
};

// A window's controls in creation order, which is also the tab order.
struct ControlTable {
    const Control *rows;
    size_t count;
    const Control *begin() const { return rows; }
    const Control *end() const { return rows + count; }
    // The control made last: once it exists, all of them do.
    const Control &last() const { return rows[count - 1]; }
};

struct Layout {
    const char *title;
    DWORD style;
    DWORD ex_style;
    int width, height;  // outer size, frame and caption included
    ControlTable controls;
};

extern const Layout kMainLayout;     // the main window
extern const Layout kKeyPairLayout;  // the key pair window

#endif
