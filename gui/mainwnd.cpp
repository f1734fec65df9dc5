// The main window: its controls, its initialisation from the command line,
// the routing of its commands, Help and About, and its end.

#include "app.h"  // windows.h comes before every other system header

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "copy_text.h"
#include "quillcore.h"
#include "strings.h"

namespace {

void set_font(int id, HFONT font) {
    SendDlgItemMessageA(app.main, id, WM_SETFONT, WPARAM(font), TRUE);
}

WNDPROC replace_proc(int id, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(GetDlgItem(app.main, id), GWLP_WNDPROC,
                                                       reinterpret_cast<LONG_PTR>(proc)));
}

// The first argument taken as a key or as the first item, shown by its name.
bool take_argument(char (&buffer)[kPathBytes], int field, const char *path) {
    if (!copy_text(buffer, path)) {
        message(app.main, text::kPathTooLong, text::kCaution);
        return false;
    }
    SetDlgItemTextA(app.main, field, display_name(path).c_str());
    return true;
}

// A key file as the first argument selects that key and nothing else: what
// follows it is not read. Any other first argument, and no argument at all,
// goes to the library with the rest as the selection. A command line with an
// item the library could not be given as it is (too long, not in the
// system's code page, outside the first item's folder) selects nothing and
// says which.
void read_command_line() {
    char token[kPathBytes];
    // A program folder that does not fit stays empty, as for a program path
    // without a drive: the help file is then looked for in the current folder.
    if (get_argument(0, token) == kToken) {
        PathParts parts;
        split_path(token, &parts);
        if (!copy_text(app.sel.program_folder, (std::string(parts.drive) + parts.folder).c_str()))
            memset(app.sel.program_folder, 0, sizeof app.sel.program_folder);
    }
    // Started by a verb of the shell, the items follow "/shell".
    const int from = shell_start() ? 2 : 1;
    char first[kPathBytes] = {};
    std::string shown;
    const Token got = get_argument(from, first, &shown);
    if (got != kNoToken && !item_acceptable(got, first, std::string(), shown)) return;
    if (rules::has_extension(first, rules::kSecretKey)) {
        take_argument(app.sel.secret_key, IDC_SECRET_FIELD, first);
        return;
    }
    if (rules::has_extension(first, rules::kPublicKey)) {
        take_argument(app.sel.public_key, IDC_PUBLIC_FIELD, first);
        return;
    }
    for (int k = from + 1;; k++) {
        const Token next = get_argument(k, token, &shown);
        if (next == kNoToken) break;
        if (!item_acceptable(next, token, folder_part(first), shown)) return;
    }
    if (first[0] && !take_argument(app.sel.selected, IDC_FILE_FIELD, first)) return;
    int count = 0;
    for (int k = 0; get_argument(k + from, token) == kToken; k++) {
        count = file_get(k, token);
        app.gathered = k + 1;
    }
    show_file_count(count);
}

// Without the user's secret key folder this is a first run: the key pair
// window comes first.
void first_run_check() {
    std::string probe = key_folder(rules::kSecretKey);
    probe.pop_back();  // the folder itself, without its "\\"
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(probe.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        cmd_key_pair();
    else
        FindClose(search);
}

// F3 on the two large command buttons, F4 on the selection buttons and the
// info label.
void set_command_fonts() {
    set_font(IDC_ENCRYPT, app.f3);
    set_font(IDC_DECRYPT, app.f3);
    for (int id : {IDC_SECRET_BUTTON, IDC_PUBLIC_BUTTON, IDC_FILE_BUTTON, IDC_INFO_LABEL})
        set_font(id, app.f4);
}

void on_init(HWND window) {
    app.main = window;
    // F1 was made for the system's DPI, before the window was on a monitor.
    if (const int dpi = window_dpi(window); dpi != app.main_dpi) {
        DeleteObject(app.f1);
        app.main_dpi = dpi;
        app.f1 = make_font(kFontF1, dpi);
    }
    SetMenu(window, app.bar);
    create_controls(window, kMainLayout.controls, app.f1, app.main_dpi);
    app.secret_field_proc = replace_proc(IDC_SECRET_FIELD, secret_drop_proc);
    app.public_field_proc = replace_proc(IDC_PUBLIC_FIELD, public_drop_proc);
    app.file_field_proc = replace_proc(IDC_FILE_FIELD, file_drop_proc);
    memset(app.sel.selected, 0, sizeof app.sel.selected);
    memset(app.sel.public_key, 0, sizeof app.sel.public_key);
    memset(app.sel.secret_key, 0, sizeof app.sel.secret_key);
    SecureZeroMemory(app.sel.password, sizeof app.sel.password);
    app.sel.masking = 1;
    create_main_fonts();
    set_command_fonts();
    app.gathered = 0;
    read_command_line();
    gather_begin();
    app.sel.compress = 1;
    CheckDlgButton(window, IDC_COMPRESS, BST_CHECKED);
    first_run_check();
}

// On a monitor of another DPI: the controls, their fonts and the icon made
// anew for it, in the place Windows suggests. The fonts they had go once
// nothing shows in them.
void on_dpi_changed(HWND window, int dpi, const RECT &suggested) {
    const HFONT old[] = {app.f1, app.f3, app.f4};
    app.main_dpi = dpi;
    app.f1 = make_font(kFontF1, dpi);
    create_main_fonts();
    place_controls(window, kMainLayout.controls, app.f1, dpi);
    set_command_fonts();
    for (HFONT font : old) DeleteObject(font);
    set_small_icon(window, dpi);
    move_to(window, suggested);
}

// The password goes with the window: nothing needs it after the last command.
void on_destroy(HWND window) {
    SecureZeroMemory(app.sel.password, sizeof app.sel.password);
    release_small_icon(window);
    DeleteObject(app.f3);
    DeleteObject(app.f4);
    replace_proc(IDC_PUBLIC_FIELD, app.public_field_proc);
    replace_proc(IDC_FILE_FIELD, app.file_field_proc);
    // Detached first, so that the window does not destroy the bar again.
    SetMenu(window, nullptr);
    DestroyMenu(app.file_menu);
    DestroyMenu(app.tools_menu);
    DestroyMenu(app.help_menu);
    DestroyMenu(app.bar);
    DeleteObject(app.f1);
    DeleteObject(app.f2);
    DeleteObject(app.brush);
    PostQuitMessage(0);
}

// One row of the command table: a command or control id, the notification
// code it answers to, and what it runs.
struct Command {
    WORD id;
    int code;  // kAnyCode, or the one notification that counts
    void (*run)();
};

constexpr int kAnyCode = -1;

// Control commands count only for their notification; menu commands always.
constexpr Command kCommands[] = {
    {IDC_SECRET_BUTTON, BN_CLICKED, cmd_select_secret},
    {IDC_PUBLIC_BUTTON, BN_CLICKED, cmd_select_public},
    {IDC_FILE_BUTTON, BN_CLICKED, cmd_select_file},
    {IDC_PASSWORD, EN_CHANGE, cmd_password_changed},
    {IDC_ENCRYPT, BN_CLICKED, cmd_encrypt},
    {IDC_DECRYPT, BN_CLICKED, cmd_decrypt},
    {IDC_SHOW_PASSWORD, BN_CLICKED, cmd_show_password},
    {IDC_COMPRESS, BN_CLICKED, cmd_compress},
    {IDM_KEY_PAIR, kAnyCode, cmd_key_pair},
    {IDM_EXPORT_SECRET, kAnyCode, cmd_export_secret},
    {IDM_EXPORT_PUBLIC, kAnyCode, cmd_export_public},
    {IDM_IMPORT_PUBLIC, kAnyCode, cmd_import_public},
    {IDM_TAMPER_CHECK, kAnyCode, cmd_tamper_check},
    {IDM_FINGERPRINT, kAnyCode, cmd_fingerprint},
    {IDM_SHA256, kAnyCode, cmd_sha256},
    {IDM_PASSWORD_FROM_FILE, kAnyCode, cmd_password_from_file},
    {IDM_HELP, kAnyCode, cmd_help},
    {IDM_ABOUT, kAnyCode, cmd_about},
};

// Ids are unique in the table, so the first row of the id decides. A window
// the user works with gathers no more items from the shell.
void on_command(WORD id, WORD code) {
    gather_end();
    for (const Command &c : kCommands) {
        if (c.id != id) continue;
        if (c.code == kAnyCode || c.code == code) c.run();
        return;
    }
}

}  // namespace

void show_file_count(int count) {
    const std::string line = count > 0 ? std::to_string(count) + text::kFilesSelected : "";
    SetDlgItemTextA(app.main, IDC_INFO, line.c_str());
    SetDlgItemTextA(app.main, IDC_INFO_LABEL, text::kInfoLabel);
}

void cmd_help() {
    const std::string path = std::string(app.sel.program_folder) + text::kHelpFile;
    const INT_PTR opened = path.size() < size_t(kPathBytes)
                               ? INT_PTR(ShellExecuteA(app.main, "Open", path.c_str(), nullptr,
                                                       nullptr, SW_SHOWNORMAL))
                               : 0;
    if (opened <= 32) message(app.main, text::kHelpMissing, text::kFailure);
}

void cmd_about() {
    message(app.main, text::kAboutText, text::kAboutCaption);
}

LRESULT CALLBACK main_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_INITDIALOG:
            on_init(window);
            return 0;
        case WM_CLOSE:
            if (!app.busy.running) close_form(window, 0);
            return 0;
        case WM_DESTROY:
            on_destroy(window);
            return 0;
        case WM_COMMAND:
            if (!app.busy.running) on_command(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_SETCURSOR:
            if (busy_cursor()) return TRUE;
            break;
        case WM_COPYDATA:
            return on_items(reinterpret_cast<const COPYDATASTRUCT *>(lparam));
        case WM_TIMER:
            on_gather_timer(UINT_PTR(wparam));
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(window, HIWORD(wparam), *reinterpret_cast<const RECT *>(lparam));
            return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}
