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
    bool menu;          // a menu bar between the caption and the client area
    int width, height;  // outer size at 96 DPI, frame, caption and menu bar included
    ControlTable controls;
};

extern const Layout kMainLayout;     // the main window
extern const Layout kKeyPairLayout;  // the key pair window

// A font of the windows; the height is in pixels at 96 DPI, as CreateFont
// takes it (negative: the height of the characters without their leading).
struct FontDef {
    int height;
    int weight;
    int pitch_and_family;
};

extern const FontDef kFontF1;  // F1 and F2: every control of both windows
extern const FontDef kFontF3;  // the two large command buttons
extern const FontDef kFontF4;  // the selection buttons, the info label, the create button

// The tables hold pixels at 96 DPI. A window shown at another DPI scales
// every position, size and font height by dpi / 96, here and only here.
constexpr int kBaseDpi = 96;
// A length at 96 DPI at dpi, to the nearest pixel (halves away from zero).
int scale(int length, int dpi);
// A control's place in its window's client area at dpi. The edges are
// scaled, not the width and height, so that controls that meet at 96 DPI
// still meet.
RECT control_rect(const Control &c, int dpi);

#endif
