// The main window itself: its controls and menus, how commands are routed,
// Help and About, the first run, and the end of the program.
#include "app.h"  // windows.h comes before every other system header

#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "copy_text.h"
#include "harness.h"
#include "quill_version.h"
#include "strings.h"

using namespace harness;

namespace {

std::string class_name(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

// The class name as the program's tables spell it: Windows answers "Button"
// for a control made as "BUTTON".
std::string upper_class_name(HWND w) {
    std::string name = class_name(w);
    for (char &c : name)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return name;
}

RECT client_rect_of(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// Where a control is, and which font it has, in one line of a failure.
std::string place(int id, long x, long y, long w, long h) {
    return std::to_string(id) + " at " + std::to_string(x) + "," + std::to_string(y) + " " +
           std::to_string(w) + "x" + std::to_string(h);
}

std::string font(int id, long height, long weight) {
    return std::to_string(id) + " height " + std::to_string(height) + " weight " +
           std::to_string(weight);
}

LOGFONTA font_of(HWND parent, int id) {
    LOGFONTA lf = {};
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(parent, id, WM_GETFONT, 0, 0));
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

// A length of the tables (pixels at 96 DPI) at dpi, to the nearest pixel.
long at_dpi(long length, int dpi) {
    return std::lround(double(length) * dpi / 96);
}

// A window as its table in the program describes it at dpi: title, style,
// and its controls in table order (the tab order) with their classes,
// texts, styles and places (the table's edges scaled), all inside the
// client area; at 96 DPI the table's outer size too.
void check_layout(HWND window, const Layout &layout, int dpi = 96) {
    QS_CHECK_EQ(class_name(window), text::kClassName);
    QS_CHECK_EQ(text_of(window), layout.title);
    QS_CHECK_EQ(GetWindowLongPtrA(window, GWL_STYLE) & layout.style, LONG_PTR(layout.style));
    QS_CHECK_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & layout.ex_style,
                LONG_PTR(layout.ex_style));
    RECT frame;
    GetWindowRect(window, &frame);
    if (dpi == 96) {
        QS_CHECK_EQ(frame.right - frame.left, layout.width);
        QS_CHECK_EQ(frame.bottom - frame.top, layout.height);
    }
    RECT client;
    GetClientRect(window, &client);

    HWND child = GetWindow(window, GW_CHILD);
    for (const Control &c : layout.controls) {
        HWND w = GetDlgItem(window, c.id);
        QS_CHECK(w == child);
        child = GetWindow(child, GW_HWNDNEXT);
        if (!w) continue;
        QS_CHECK_EQ(std::to_string(c.id) + " " + upper_class_name(w),
                    std::to_string(c.id) + " " + c.cls);
        QS_CHECK_EQ(text_of(w), c.text);
        const LONG_PTR want = WS_CHILD | WS_VISIBLE | c.style;
        QS_CHECK_EQ(GetWindowLongPtrA(w, GWL_STYLE) & want, want);
        QS_CHECK_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE) & c.ex_style, LONG_PTR(c.ex_style));
        const RECT r = client_rect_of(window, w);
        const long left = at_dpi(c.x, dpi), top = at_dpi(c.y, dpi);
        QS_CHECK_EQ(
            place(c.id, r.left, r.top, r.right - r.left, r.bottom - r.top),
            place(c.id, left, top, at_dpi(c.x + c.w, dpi) - left, at_dpi(c.y + c.h, dpi) - top));
        const bool inside = r.right <= client.right && r.bottom <= client.bottom;
        QS_CHECK_EQ(std::to_string(c.id) + (inside ? " inside" : " cut off by the window's edge"),
                    std::to_string(c.id) + " inside");
    }
    QS_CHECK(child == nullptr);
}

// The fonts of a window's controls at dpi: every control in F1 (F2), those
// named in F3 or F4; the heights of the table scaled.
void check_fonts(HWND window, const Layout &layout, int dpi, std::initializer_list<int> in_f3,
                 std::initializer_list<int> in_f4) {
    const auto in = [](int id, std::initializer_list<int> ids) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    for (const Control &e : layout.controls) {
        const LOGFONTA lf = font_of(window, e.id);
        QS_CHECK_EQ(std::string(lf.lfFaceName), text::kFontFace);
        QS_CHECK_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        long height = -12, weight = 400;
        if (in(e.id, in_f3)) height = 18, weight = 600;
        if (in(e.id, in_f4)) height = 13, weight = 500;
        QS_CHECK_EQ(font(e.id, lf.lfHeight, lf.lfWeight), font(e.id, at_dpi(height, dpi), weight));
    }
}

void check_main_fonts(HWND main, int dpi) {
    check_fonts(main, kMainLayout, dpi, {IDC_ENCRYPT, IDC_DECRYPT},
                {IDC_SECRET_BUTTON, IDC_PUBLIC_BUTTON, IDC_FILE_BUTTON, IDC_INFO_LABEL});
}

void check_key_pair_fonts(HWND pair, int dpi) {
    check_fonts(pair, kKeyPairLayout, dpi, {}, {IDK_CREATE});
}

// Every text of a window shows whole in its control, as the control draws
// it in its font: a static text wraps within the control's inner area; a
// button's stays on one line inside its frame, a check box's beside its box.
// The typed texts of edit fields scroll and are not measured.
void check_texts_fit(HWND window, const Layout &layout, int dpi) {
    for (const Control &c : layout.controls) {
        HWND w = GetDlgItem(window, c.id);
        const std::string text = text_of(w);
        if (!w || text.empty() || std::string(c.cls) == "EDIT") continue;
        RECT room;
        GetClientRect(w, &room);
        HDC dc = GetDC(w);
        HGDIOBJ kept = SelectObject(dc, HGDIOBJ(SendMessageA(w, WM_GETFONT, 0, 0)));
        SIZE need = {};
        if (std::string(c.cls) == "STATIC") {
            RECT r = {0, 0, room.right, 0};
            DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
            need = {r.right, r.bottom};
        } else {
            GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &need);
            const bool check_box = (c.style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            room.right -= at_dpi(check_box ? 16 : 6, dpi);
        }
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof face, face);
        SelectObject(dc, kept);
        ReleaseDC(w, dc);
        // The text's size where the room is too small, in the font's face
        // as drawn.
        QS_CHECK_EQ(
            place(c.id, 0, 0, std::max(need.cx, room.right), std::max(need.cy, room.bottom)) + " " +
                face,
            place(c.id, 0, 0, room.right, room.bottom) + " " + face);
    }
}

// The width of the window's small icon as drawn.
long small_icon_width(HWND window) {
    HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

// Sends WM_DPICHANGED as Windows does when a window moves to a monitor of
// another DPI, suggesting its frame scaled by percent; the window takes it.
void move_to_dpi(HWND window, int dpi, int percent) {
    RECT r;
    GetWindowRect(window, &r);
    RECT suggested = {r.left, r.top, r.left + (r.right - r.left) * percent / 100,
                      r.top + (r.bottom - r.top) * percent / 100};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(window, &r);
    QS_CHECK(EqualRect(&r, &suggested));
}

// Both windows at the system's DPI, which the runner sets for scenarios
// named dpi<N>_*: the windows know it (the program is aware of each
// monitor's DPI), their
// places and fonts are the table's scaled by N / 96, every text shows whole,
// and the small icon is drawn at the small icon size for N.
void check_at_system_dpi(int dpi) {
    HWND main = main_window();
    QS_CHECK_EQ(GetDpiForWindow(main), UINT(dpi));
    QS_CHECK_EQ(long(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(main))),
                long(DPI_AWARENESS_PER_MONITOR_AWARE));
    check_layout(main, kMainLayout, dpi);
    check_main_fonts(main, dpi);
    check_texts_fit(main, kMainLayout, dpi);
    QS_CHECK_EQ(small_icon_width(main), at_dpi(16, dpi));

    command(IDM_KEY_PAIR);
    HWND pair = key_pair_window();
    QS_CHECK(pair != nullptr);
    if (!pair) return;
    check_layout(pair, kKeyPairLayout, dpi);
    check_key_pair_fonts(pair, dpi);
    check_texts_fit(pair, kKeyPairLayout, dpi);
    QS_CHECK_EQ(small_icon_width(pair), at_dpi(16, dpi));
    PostMessageA(pair, WM_CLOSE, 0, 0);
    settle();
    close_main();
}

// The texts the three fields and the information line show.
std::vector<std::string> field_texts(HWND main) {
    return {text_of(main, IDC_SECRET_FIELD), text_of(main, IDC_PUBLIC_FIELD),
            text_of(main, IDC_FILE_FIELD), text_of(main, IDC_INFO), text_of(main, IDC_INFO_LABEL)};
}

void post_command(HWND main, int id, int code) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(GetDlgItem(main, id)));
    settle();
}

std::string program_folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    *(strrchr(path, '\\') + 1) = '\0';
    return path;
}

// Ends the processes this one started (the help viewer), by their ids.
void end_children() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != GetCurrentProcessId()) continue;
        if (HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(child, 0);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
}

}  // namespace

// The main window and its controls as the program's table describes them,
// with their fonts, no maximise box, and the initial selection; a resize
// moves nothing.
QS_SCENARIO(main_window_layout) {
    HWND main = main_window();
    check_layout(main, kMainLayout);
    QS_CHECK_EQ(GetWindowLongPtrA(main, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    QS_CHECK(GetWindow(main, GW_OWNER) == nullptr);
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK(key_pair_window(300) == nullptr);
    check_main_fonts(main, 96);
    check_texts_fit(main, kMainLayout, 96);

    QS_CHECK(checked(main, IDC_COMPRESS));
    QS_CHECK(!checked(main, IDC_SHOW_PASSWORD));
    QS_CHECK(SendDlgItemMessageA(main, IDC_PASSWORD, EM_GETPASSWORDCHAR, 0, 0) != 0);
    QS_CHECK_EQ(app.sel.compress, 1);
    QS_CHECK_EQ(app.sel.masking, 1);
    QS_CHECK_EQ(std::string(app.sel.secret_key), "");
    QS_CHECK_EQ(std::string(app.sel.public_key), "");
    QS_CHECK_EQ(std::string(app.sel.selected), "");
    QS_CHECK_EQ(app.sel.password[0], 0);
    QS_CHECK_EQ(std::string(app.sel.program_folder), program_folder());

    // No size handling: the controls stay where they are.
    const RECT before = client_rect_of(main, GetDlgItem(main, IDC_DECRYPT));
    SetWindowPos(main, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
    settle();
    const RECT after = client_rect_of(main, GetDlgItem(main, IDC_DECRYPT));
    QS_CHECK_EQ(after.left, before.left);
    QS_CHECK_EQ(after.top, before.top);
    QS_CHECK_EQ(after.right - after.left, before.right - before.left);
    close_main();
}

QS_SCENARIO(dpi144_windows_scaled) {
    check_at_system_dpi(144);
}

QS_SCENARIO(dpi192_windows_scaled) {
    check_at_system_dpi(192);
}

// Moved to a monitor of 192 DPI, the main window takes the place Windows
// suggests with its controls, fonts and icon scaled; the key pair window
// follows its own monitor and leaves the main window's fonts alone, and
// opens again at its own DPI; back at 96 DPI the main window is as its table
// says.
QS_SCENARIO(main_follows_dpi_changes) {
    HWND main = main_window();
    move_to_dpi(main, 192, 200);
    check_layout(main, kMainLayout, 192);
    check_main_fonts(main, 192);
    check_texts_fit(main, kMainLayout, 192);
    QS_CHECK_EQ(small_icon_width(main), 32);

    command(IDM_KEY_PAIR);
    HWND pair = key_pair_window();
    QS_CHECK(pair != nullptr);
    if (!pair) return;
    move_to_dpi(pair, 144, 150);
    check_layout(pair, kKeyPairLayout, 144);
    check_key_pair_fonts(pair, 144);
    check_texts_fit(pair, kKeyPairLayout, 144);
    check_main_fonts(main, 192);
    PostMessageA(pair, WM_CLOSE, 0, 0);
    settle();
    command(IDM_KEY_PAIR);
    pair = key_pair_window();
    QS_CHECK(pair != nullptr);
    if (!pair) return;
    check_key_pair_fonts(pair, 96);
    PostMessageA(pair, WM_CLOSE, 0, 0);
    settle();

    move_to_dpi(main, 96, 50);
    check_layout(main, kMainLayout);
    check_main_fonts(main, 96);
    QS_CHECK_EQ(small_icon_width(main), 16);
    close_main();
}

// The bar reads File, Tools, Help; each menu lists its items top to bottom
// with their command ids, and nothing else.
QS_SCENARIO(main_menus) {
    HWND main = main_window();
    const std::vector<std::string> bar = {text::kMenuFile, text::kMenuTools, text::kMenuHelp};
    QS_CHECK(menu_bar() == bar);
    struct Item {
        const char *text;
        int id;
    };
    const std::vector<std::vector<Item>> menus = {
        {{text::kMenuKeyPair, IDM_KEY_PAIR},
         {text::kMenuExportSecret, IDM_EXPORT_SECRET},
         {text::kMenuExportPublic, IDM_EXPORT_PUBLIC},
         {text::kMenuImportPublic, IDM_IMPORT_PUBLIC}},
        {{text::kMenuTamper, IDM_TAMPER_CHECK},
         {text::kMenuFingerprint, IDM_FINGERPRINT},
         {text::kMenuSha256, IDM_SHA256},
         {text::kMenuPasswordFromFile, IDM_PASSWORD_FROM_FILE}},
        {{text::kMenuHelpItem, IDM_HELP}, {text::kMenuAbout, IDM_ABOUT}},
    };
    HMENU menu_bar_handle = GetMenu(main);
    for (size_t m = 0; m < menus.size(); m++) {
        const std::vector<std::string> items = menu_items(int(m));
        QS_CHECK_EQ(items.size(), menus[m].size());
        HMENU popup = GetSubMenu(menu_bar_handle, int(m));
        for (size_t i = 0; i < menus[m].size() && i < items.size(); i++) {
            QS_CHECK_EQ(items[i], menus[m][i].text);
            QS_CHECK_EQ(GetMenuItemID(popup, int(i)), UINT(menus[m][i].id));
            MENUITEMINFOA mi = {};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_FTYPE | MIIM_STATE;
            GetMenuItemInfoA(popup, UINT(i), TRUE, &mi);
            QS_CHECK_EQ(mi.fType, MFT_STRING);
            QS_CHECK_EQ(mi.fState & (MFS_DISABLED | MFS_CHECKED), 0);
        }
    }
    close_main();
}

// Menu commands count whatever their notification code; control commands
// only for theirs, and the static fields do nothing when clicked.
QS_SCENARIO(main_command_routing) {
    HWND main = main_window();
    const std::vector<std::string> before = field_texts(main);

    post_command(main, IDM_ABOUT, 1);
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kAboutCaption);
    answer(box, IDOK);

    for (int id : {IDC_SECRET_FIELD, IDC_PUBLIC_FIELD, IDC_FILE_FIELD, IDC_INFO_LABEL})
        post_command(main, id, BN_CLICKED);
    post_command(main, IDC_ENCRYPT, EN_CHANGE);
    post_command(main, IDC_DECRYPT, BN_DOUBLECLICKED);
    QS_CHECK(no_box());
    QS_CHECK(field_texts(main) == before);

    // The same command with its own notification does act.
    post_command(main, IDC_ENCRYPT, BN_CLICKED);
    box = wait_box();
    QS_CHECK_EQ(box.text, text::kChooseSecret);
    answer(box, IDOK);
    close_main();
}

// About: the version, the maker and the web page, in a box of the main
// window with an OK button only; the main window is held while it is up.
QS_SCENARIO(main_about) {
    HWND main = main_window();
    command(IDM_ABOUT);
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kAboutCaption);
    QS_CHECK_EQ(box.text, text::kAboutText);
    QS_CHECK_EQ(box.text.substr(0, box.text.find('\n')), "Quillseal Ver" QUILL_VERSION);
    QS_CHECK(box.owner == main);
    QS_CHECK(GetDlgItem(box.window, IDOK) != nullptr);
    QS_CHECK(GetDlgItem(box.window, IDCANCEL) == nullptr);
    QS_CHECK(!IsWindowEnabled(main));
    answer(box, IDOK);
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK(no_box());
    close_main();
}

// Help without the help file in the program's folder: a failure message of
// the main window, and nothing else changes.
QS_SCENARIO(main_help_missing) {
    HWND main = main_window();
    DeleteFileA((program_folder() + text::kHelpFile).c_str());
    set_text(main, IDC_PASSWORD, "secret");
    const std::vector<std::string> before = field_texts(main);
    command(IDM_HELP);
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kFailure);
    QS_CHECK_EQ(box.text, text::kHelpMissing);
    QS_CHECK(box.owner == main);
    answer(box, IDOK);
    QS_CHECK(no_box());
    QS_CHECK(field_texts(main) == before);
    QS_CHECK_EQ(std::string(reinterpret_cast<const char *>(app.sel.password)), "secret");
    close_main();
}

// Help with the help file beside the program opens it in the viewer and
// shows no message.
QS_SCENARIO(main_help_present) {
    HWND main = main_window();
    const std::string help = program_folder() + text::kHelpFile;
    write_file(help, "ITSF");
    command(IDM_HELP);
    QS_CHECK(no_box(1000));
    QS_CHECK(IsWindowEnabled(main));
    end_children();
    DeleteFileA(help.c_str());
    close_main();
}

// The close box ends the program: the window and its menus are gone, the
// password is wiped, and the process ends with 0 (the runner checks the exit
// code).
QS_SCENARIO(main_close_box) {
    HWND main = main_window();
    set_text(main, IDC_PASSWORD, "secret");
    const HMENU bar = app.bar, file = app.file_menu;
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    const DWORD deadline = GetTickCount() + 10000;
    while (IsWindow(main) && LONG(deadline - GetTickCount()) > 0) Sleep(20);
    QS_CHECK(!IsWindow(main));
    QS_CHECK(!IsMenu(bar));
    QS_CHECK(!IsMenu(file));
    QS_CHECK(std::all_of(std::begin(app.sel.password), std::end(app.sel.password),
                         [](unsigned char c) { return c == 0; }));
}

// Without the user's secret key folder the key pair window comes first, over
// the held main window; closed, it leaves the main window working and the
// folders still missing.
QS_SCENARIO(firstrun_key_pair_first) {
    HWND pair = key_pair_window(20000);
    QS_CHECK(pair != nullptr);
    if (!pair) return;
    check_layout(pair, kKeyPairLayout);
    check_key_pair_fonts(pair, 96);
    check_texts_fit(pair, kKeyPairLayout, 96);
    QS_CHECK(GetWindow(pair, GW_OWNER) == app.main);
    QS_CHECK(!IsWindowEnabled(app.main));
    QS_CHECK(!exists(secret_folder()));

    PostMessageA(pair, WM_CLOSE, 0, 0);
    settle();
    HWND main = main_window();
    QS_CHECK(!IsWindow(pair));
    QS_CHECK(IsWindowEnabled(main));
    QS_CHECK_EQ(text_of(main, IDC_SECRET_FIELD), text::kSecretHint);
    QS_CHECK_EQ(text_of(main, IDC_FILE_FIELD), text::kFileHint);
    QS_CHECK_EQ(text_of(main, IDC_INFO), "");
    QS_CHECK(checked(main, IDC_COMPRESS));
    QS_CHECK(!exists(secret_folder()));
    QS_CHECK(!exists(public_folder()));

    command(IDM_ABOUT);
    Box box = wait_box();
    QS_CHECK_EQ(box.caption, text::kAboutCaption);
    answer(box, IDOK);

    // The window opens again from the menu, and closes back to the main window.
    command(IDM_KEY_PAIR);
    pair = key_pair_window();
    QS_CHECK(pair != nullptr);
    QS_CHECK(!IsWindowEnabled(main));
    PostMessageA(pair, WM_CLOSE, 0, 0);
    settle();
    QS_CHECK(IsWindowEnabled(main));
    close_main();
}

// Paths split as the program splits them: a trail byte 0x5C is part of its
// character, and only "X:\" paths have parts.
QS_SCENARIO(paths_split) {
    main_window();
    struct Case {
        const char *path, *drive, *folder, *name, *ext;
    };
    const Case cases[] = {
        {"C:\\a\\b.c.txt", "C:", "\\a\\", "b.c", ".txt"},
        {"C:\\表\\ソ.velh", "C:", "\\表\\", "ソ", ".velh"},
        {"C:\\dir.v\\name", "C:", "\\dir.v\\", "name", ""},
        {"D:\\x", "D:", "\\", "x", ""},
        {"\\\\server\\keys\\c.velk", "", "", "", ""},
        {"a.txt", "", "", "", ""},
        {"C:a.txt", "", "", "", ""},
    };
    for (const Case &c : cases) {
        PathParts parts;
        split_path(c.path, &parts);
        const std::string got =
            std::string(parts.drive) + "|" + parts.folder + "|" + parts.name + "|" + parts.ext;
        QS_CHECK_EQ(got, std::string(c.drive) + "|" + c.folder + "|" + c.name + "|" + c.ext);
        QS_CHECK_EQ(display_name(c.path), std::string(c.name) + c.ext);
    }
    // A path longer than a buffer is cut, never overrun.
    const std::string long_path = "C:\\" + std::string(300, 'd') + "\\" + std::string(300, 'n');
    PathParts parts;
    split_path(long_path.c_str(), &parts);
    QS_CHECK_EQ(strlen(parts.folder), size_t(kPathBytes - 1));
    QS_CHECK_EQ(strlen(parts.name), size_t(kPathBytes - 1));
    close_main();
}

// A path buffer takes 259 bytes and a NUL, zeros behind them; one byte more
// is refused and the buffer keeps what it held.
QS_SCENARIO(paths_copy_refuses_what_does_not_fit) {
    main_window();
    char buffer[kPathBytes];
    memset(buffer, 'x', sizeof buffer);
    QS_CHECK(copy_text(buffer, "C:\\a"));
    QS_CHECK_EQ(std::string(buffer, sizeof buffer), "C:\\a" + std::string(kPathBytes - 4, '\0'));
    const std::string longest(kPathBytes - 1, 'p');
    QS_CHECK(copy_text(buffer, longest.c_str()));
    QS_CHECK_EQ(std::string(buffer), longest);
    QS_CHECK(!copy_text(buffer, (longest + "q").c_str()));
    QS_CHECK_EQ(std::string(buffer), longest);
    close_main();
}
