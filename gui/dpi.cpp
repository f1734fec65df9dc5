// The DPI the windows are shown at. The program declares itself aware of
// each monitor's DPI, so Windows never stretches its windows as bitmaps; in
// return the windows scale their tables (pixels at 96 DPI) themselves, when
// they open and when they move to a monitor of another DPI. The calls that
// know a window's own DPI came with Windows 10 1607; they are looked up at
// run time, so that the program still starts on older Windows, where the
// system's DPI is every window's.

#include "app.h"

namespace {

template <typename Function>
Function user32_function(const char *name) {
    // Through void (*)(): a cast from it to any function type is allowed
    // without a warning.
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

using DpiForWindow = UINT(WINAPI *)(HWND);
using AdjustForDpi = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
using MetricForDpi = int(WINAPI *)(int, UINT);

const DpiForWindow dpi_for_window = user32_function<DpiForWindow>("GetDpiForWindow");
const AdjustForDpi adjust_for_dpi = user32_function<AdjustForDpi>("AdjustWindowRectExForDpi");
const MetricForDpi metric_for_dpi = user32_function<MetricForDpi>("GetSystemMetricsForDpi");

// How much wider and higher than its client area a window of the layout is
// at dpi: frame, caption and menu bar.
SIZE frame_at(const Layout &layout, int dpi) {
    RECT r = {0, 0, 0, 0};
    adjust_for_dpi(&r, layout.style, layout.menu, layout.ex_style, UINT(dpi));
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int window_dpi(HWND window) {
    const UINT dpi = dpi_for_window ? dpi_for_window(window) : 0;
    return dpi ? int(dpi) : system_dpi();
}

SIZE window_size(const Layout &layout, int dpi) {
    // Without the frame's metrics at 96 DPI the whole window scales.
    if (!adjust_for_dpi) return {scale(layout.width, dpi), scale(layout.height, dpi)};
    const SIZE base = frame_at(layout, kBaseDpi);
    const SIZE frame = frame_at(layout, dpi);
    return {scale(layout.width - base.cx, dpi) + frame.cx,
            scale(layout.height - base.cy, dpi) + frame.cy};
}

void place_controls(HWND window, const ControlTable &controls, HFONT font, int dpi) {
    for (const Control &c : controls) {
        const RECT r = control_rect(c, dpi);
        SetWindowPos(GetDlgItem(window, c.id), nullptr, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendDlgItemMessageA(window, c.id, WM_SETFONT, WPARAM(font), TRUE);
    }
}

void move_to(HWND window, const RECT &r) {
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void set_small_icon(HWND window, int dpi) {
    const int size =
        metric_for_dpi ? metric_for_dpi(SM_CXSMICON, UINT(dpi)) : GetSystemMetrics(SM_CXSMICON);
    // Drawn once at the size it is shown at, from the 48-pixel image.
    HANDLE icon = LoadImageA(app.instance, MAKEINTRESOURCEA(kIconApp), IMAGE_ICON, size, size, 0);
    if (HICON old = reinterpret_cast<HICON>(
            SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon))))
        DestroyIcon(old);
}

void release_small_icon(HWND window) {
    if (HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_SETICON, ICON_SMALL, 0)))
        DestroyIcon(icon);
}
