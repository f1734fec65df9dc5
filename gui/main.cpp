// quillgui: start-up and end of the program.

#include "app.h"  // windows.h comes before every other system header

#include <commctrl.h>

#include "strings.h"

App app;

namespace {

struct MenuItem {
    UINT id;
    const char *text;
};

// A pop-up menu with the items top to bottom. Each item goes in at position
// 0, before those already there, so they are inserted last to first.
HMENU make_menu(const MenuItem *items, int count) {
    HMENU menu = CreatePopupMenu();
    for (int i = count - 1; i >= 0; i--) {
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
        mi.fType = MFT_STRING;
        mi.wID = items[i].id;
        mi.dwTypeData = const_cast<char *>(items[i].text);
        InsertMenuItemA(menu, 0, TRUE, &mi);
    }
    return menu;
}

void add_popup(HMENU bar, HMENU popup, const char *title) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    mi.fType = MFT_STRING;
    mi.hSubMenu = popup;
    mi.dwTypeData = const_cast<char *>(title);
    InsertMenuItemA(bar, 0, TRUE, &mi);
}

void build_menus() {
    static const MenuItem file[] = {{IDM_KEY_PAIR, text::kMenuKeyPair},
                                    {IDM_EXPORT_SECRET, text::kMenuExportSecret},
                                    {IDM_EXPORT_PUBLIC, text::kMenuExportPublic},
                                    {IDM_IMPORT_PUBLIC, text::kMenuImportPublic}};
    static const MenuItem tools[] = {{IDM_TAMPER_CHECK, text::kMenuTamper},
                                     {IDM_FINGERPRINT, text::kMenuFingerprint},
                                     {IDM_SHA256, text::kMenuSha256},
                                     {IDM_PASSWORD_FROM_FILE, text::kMenuPasswordFromFile}};
    static const MenuItem help[] = {{IDM_HELP, text::kMenuHelpItem}, {IDM_ABOUT, text::kMenuAbout}};
    app.file_menu = make_menu(file, 4);
    app.tools_menu = make_menu(tools, 4);
    app.help_menu = make_menu(help, 2);
    app.bar = CreateMenu();
    // Left to right File, Tools, Help: inserted at position 0 from the right.
    add_popup(app.bar, app.help_menu, text::kMenuHelp);
    add_popup(app.bar, app.tools_menu, text::kMenuTools);
    add_popup(app.bar, app.file_menu, text::kMenuFile);
}

void register_class() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = app.instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = app.brush;
    wc.lpszClassName = text::kClassName;
    RegisterClassExA(&wc);
}

}  // namespace

HFONT make_font(const FontDef &font, int dpi) {
    return CreateFontA(scale(font.height, dpi), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                       font.pitch_and_family, text::kFontFace);
}

void create_main_fonts() {
    app.f3 = make_font(kFontF3, app.main_dpi);
    app.f4 = make_font(kFontF4, app.main_dpi);
}

int message(HWND owner, const char *body, const char *caption, UINT type) {
    return MessageBoxA(owner, body, caption, type);
}

int run_program(HINSTANCE instance) {
    app.instance = instance;
    // A start of the shell whose items went to an earlier start's window.
    if (hand_over()) return 0;
    INITCOMMONCONTROLSEX icc = {sizeof icc, 0xFF};
    InitCommonControlsEx(&icc);
    // Made before any window, for the system's DPI; a window that opens at
    // another DPI makes its own anew.
    app.main_dpi = app.pair_dpi = system_dpi();
    app.f1 = make_font(kFontF1, app.main_dpi);
    app.f2 = make_font(kFontF1, app.pair_dpi);
    app.brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    build_menus();
    register_class();
    open_form(nullptr, text::kMainForm);
    // The main window is gone: drain what is left, then end with 0.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

#if !defined(QS_TEST_HARNESS)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return run_program(instance);
}
#endif
