// The program's two windows, each opened by name with a modal loop of its
// own; the loops nest, so the key pair window runs inside a handler of the
// main window.
#include <cstring>

#include "app.h"
#include "strings.h"

int open_form(HWND owner, const char *name) {
    const bool main_form = strcmp(name, text::kMainForm) == 0;
    if (!main_form && strcmp(name, text::kKeyPairForm) != 0) return 0;

    const Layout &layout = main_form ? kMainLayout : kKeyPairLayout;
    // Sized for the system's DPI, and again for its own if its monitor has
    // another.
    const int expected_dpi = system_dpi();
    SIZE size = window_size(layout, expected_dpi);
    HWND window = CreateWindowExA(layout.ex_style, text::kClassName, layout.title, layout.style,
                                  CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, owner, nullptr,
                                  app.instance, nullptr);
    if (!window) return 0;
    const int dpi = window_dpi(window);
    if (dpi != expected_dpi) {
        size = window_size(layout, dpi);
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    (main_form ? app.main : app.key_pair) = window;
    // SetWindowLongPtrA keeps the whole pointer on 64-bit Windows.
    SetWindowLongPtrA(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(main_form ? main_proc : key_pair_proc));
    SendMessageA(window, WM_INITDIALOG, 0, 0);
    set_small_icon(window, dpi);
    ShowWindow(window, SW_SHOW);
    EnableWindow(owner, FALSE);

    // Ends on WM_QUIT of any origin: close_form posts it with the result.
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (IsWindow(window) && IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return int(msg.wParam);
}

void close_form(HWND window, int result) {
    EnableWindow(GetWindow(window, GW_OWNER), TRUE);
    DestroyWindow(window);
    PostMessageA(nullptr, WM_QUIT, WPARAM(result), 0);
}
