// Choosing the two keys and the items to work on, with a file dialog or by
// dropping files on the fields; the password field and the two check boxes.

#include "app.h"  // windows.h comes before every other system header

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "copy_text.h"
#include "quillcore.h"
#include "strings.h"

namespace {

// The open dialog for one existing file; true with its full path in path.
bool choose_file(const std::string &filter, const std::string &folder, const char *title,
                 char *path) {
    memset(path, 0, kPathBytes);
    return run_file_dialog(false, filter, folder, title, path);
}

// A state buffer gets a new path, zero-filled behind it; a path that does
// not fit is refused with a message and the buffer keeps its old one.
bool set_path(char (&buffer)[kPathBytes], const char *path) {
    if (copy_text(buffer, path)) return true;
    message(app.main, text::kPathTooLong, text::kCaution);
    return false;
}

void select_key(char (&key)[kPathBytes], int field, const char *path) {
    if (set_path(key, path)) SetDlgItemTextA(app.main, field, display_name(path).c_str());
}

// Length in bytes of dropped item i's path.
// Dropped item i, read wide, as a native path (native_path).
Token dropped_path(HDROP drop, UINT i, char *path, std::string *shown = nullptr) {
    std::wstring wide(DragQueryFileW(drop, i, nullptr, 0), L'\0');
    DragQueryFileW(drop, i, wide.data(), UINT(wide.size() + 1));
    return native_path(wide, path, shown);
}

// A key field takes the first dropped file, and only a key file of its kind
// (its extension in any case); anything else leaves the field and the key as
// they were.
LRESULT key_drop(HWND field, UINT msg, WPARAM wparam, LPARAM lparam, WNDPROC previous,
                 rules::Kind kind, char (&key)[kPathBytes]) {
    if (msg != WM_DROPFILES) return CallWindowProcA(previous, field, msg, wparam, lparam);
    HDROP drop = reinterpret_cast<HDROP>(wparam);
    char path[kPathBytes];
    // While a call runs, a drop is not taken: it would change the selection
    // under it.
    if (app.busy.running) {
        DragFinish(drop);
        return 0;
    }
    if (dropped_path(drop, 0, path) == kToken && rules::has_extension(path, kind))
        select_key(key, GetDlgCtrlID(field), path);
    DragFinish(drop);
    return 0;
}

// A drop on the file field replaces the whole selection with its items. A
// drop with an item whose path is too long, or that lies in another folder
// than the first (a search's results), is refused as a whole, before the
// library's list is touched.
void select_dropped(HDROP drop) {
    const UINT items = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::string first_folder;
    for (UINT i = 0; i < items; i++) {
        char path[kPathBytes];
        std::string name;
        const Token got = dropped_path(drop, i, path, &name);
        if (!item_acceptable(got, path, first_folder, name)) return;
        if (i == 0) first_folder = folder_part(path);
    }
    if (items == 0) return;
    gather_end();
    char path[kPathBytes];
    dropped_path(drop, 0, path);
    if (!set_path(app.sel.selected, path)) return;
    SetDlgItemTextA(app.main, IDC_FILE_FIELD, path);
    int count = 0;
    for (UINT i = 0; i < items; i++) {
        dropped_path(drop, i, path);
        count = file_get(int(i), path);
    }
    show_file_count(count);
}

}  // namespace

void cmd_select_secret() {
    char path[kPathBytes];
    if (choose_file(kind_filter(rules::kSecretKey), key_folder(rules::kSecretKey),
                    text::kSelectSecretTitle, path))
        select_key(app.sel.secret_key, IDC_SECRET_FIELD, path);
}

void cmd_select_public() {
    char path[kPathBytes];
    if (choose_file(kind_filter(rules::kPublicKey), key_folder(rules::kPublicKey),
                    text::kSelectPublicTitle, path))
        select_key(app.sel.public_key, IDC_PUBLIC_FIELD, path);
}

// One file from the dialog starts a new selection; its count is not shown.
void cmd_select_file() {
    char path[kPathBytes];
    if (!choose_file(make_filter({text::kAllFilesFilter, "*"}) + kind_filter(rules::kArchive),
                     special_folder(CSIDL_DESKTOPDIRECTORY), text::kSelectFileTitle, path))
        return;
    if (!set_path(app.sel.selected, path)) return;
    file_get(0, path);
    SetDlgItemTextA(app.main, IDC_FILE_FIELD, path);
    SetDlgItemTextA(app.main, IDC_INFO, "");
}

void warn_caps_lock() {
    if (GetKeyState(VK_CAPITAL) & 1) message(app.main, text::kCapsLockText, text::kCapsLockCaption);
}

// Every change of the password field, the program's own included, is taken
// over into the zero-filled password block.
void cmd_password_changed() {
    warn_caps_lock();
    read_field(app.main, IDC_PASSWORD, app.sel.password, kPasswordBytes);
}

void cmd_show_password() {
    app.sel.masking = app.sel.masking == 1 ? 0 : 1;
    SendDlgItemMessageA(app.main, IDC_PASSWORD, EM_SETPASSWORDCHAR, app.sel.masking ? '*' : 0, 0);
    // Setting the text again redraws it with the new mask.
    SetDlgItemTextA(app.main, IDC_PASSWORD, reinterpret_cast<const char *>(app.sel.password));
}

void cmd_compress() {
    app.sel.compress = app.sel.compress ? 0 : 1;
    CheckDlgButton(app.main, IDC_COMPRESS, app.sel.compress ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT CALLBACK secret_drop_proc(HWND field, UINT msg, WPARAM wparam, LPARAM lparam) {
    return key_drop(field, msg, wparam, lparam, app.secret_field_proc, rules::kSecretKey,
                    app.sel.secret_key);
}

LRESULT CALLBACK public_drop_proc(HWND field, UINT msg, WPARAM wparam, LPARAM lparam) {
    return key_drop(field, msg, wparam, lparam, app.public_field_proc, rules::kPublicKey,
                    app.sel.public_key);
}

LRESULT CALLBACK file_drop_proc(HWND field, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != WM_DROPFILES)
        return CallWindowProcA(app.file_field_proc, field, msg, wparam, lparam);
    HDROP drop = reinterpret_cast<HDROP>(wparam);
    if (!app.busy.running) select_dropped(drop);
    DragFinish(drop);
    return 0;
}
