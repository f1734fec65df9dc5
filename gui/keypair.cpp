// The key pair window: the user types a user ID and a password twice, and the
// library writes a secret key file and a public key file named after the ID
// into the per-user key folders. On success the new secret key and its
// password become the main window's selection.

#include "app.h"  // windows.h comes before every other system header

#include <cstring>
#include <string>

#include "copy_text.h"
#include "quillcore.h"
#include "strings.h"

namespace {

// The user ID field is read with this limit: at most 159 bytes of text.
constexpr int kUserIdLimit = int(rules::kUserIdMaxBytes) + 1;

const char *as_text(const unsigned char *block) {
    return reinterpret_cast<const char *>(block);
}

// Both password blocks wiped, as the window closes and before new text.
void wipe_passwords() {
    SecureZeroMemory(app.pair.first, sizeof app.pair.first);
    SecureZeroMemory(app.pair.second, sizeof app.pair.second);
}

// The main window's password, if any, is offered in both password fields.
void on_init(HWND window) {
    // F2 was made for the DPI the window had last, or for the system's.
    if (const int dpi = window_dpi(window); dpi != app.pair_dpi) {
        DeleteObject(app.f2);
        app.pair_dpi = dpi;
        app.f2 = make_font(kFontF1, dpi);
    }
    app.pair_f4 = make_font(kFontF4, app.pair_dpi);
    create_controls(window, kKeyPairLayout.controls, app.f2, app.pair_dpi);
    SetDlgItemTextA(window, IDK_FIRST, as_text(app.sel.password));
    SetDlgItemTextA(window, IDK_SECOND, as_text(app.sel.password));
    wipe_passwords();
    memcpy(app.pair.first, app.sel.password, kPasswordBytes);
    memcpy(app.pair.second, app.sel.password, kPasswordBytes);
    memset(app.pair.user_id, 0, sizeof app.pair.user_id);
    app.pair.masking = 1;
}

void password_changed(HWND window, int id, unsigned char *block) {
    warn_caps_lock();
    read_field(window, id, block, kPasswordBytes);
}

void show_password(HWND window) {
    app.pair.masking = app.pair.masking == 1 ? 0 : 1;
    const WPARAM mask = app.pair.masking ? '*' : 0;
    SendDlgItemMessageA(window, IDK_FIRST, EM_SETPASSWORDCHAR, mask, 0);
    SendDlgItemMessageA(window, IDK_SECOND, EM_SETPASSWORDCHAR, mask, 0);
    // Written again so that the fields are redrawn.
    SetDlgItemTextA(window, IDK_FIRST, as_text(app.pair.first));
    SetDlgItemTextA(window, IDK_SECOND, as_text(app.pair.second));
}

// The checks of the typed values, in order; the first that fails tells the
// user, and the window stays as it was.
bool input_ok(HWND window) {
    if (!app.pair.user_id[0]) {
        message(window, text::kEnterUserId, text::kConfirm);
        return false;
    }
    if (strlen(as_text(app.pair.first)) < rules::kPasswordMinBytes) {
        message(window, text::kPasswordTooShort, text::kFirstPasswordCaption);
        return false;
    }
    if (strlen(as_text(app.pair.second)) < rules::kPasswordMinBytes) {
        message(window, text::kPasswordTooShort, text::kSecondPasswordCaption);
        return false;
    }
    if (memcmp(app.pair.first, app.pair.second, kPasswordBytes) != 0) {
        message(window, text::kPasswordsDiffer, text::kCaution, MB_ICONINFORMATION);
        return false;
    }
    if (rules::user_id_forbidden(app.pair.user_id)) {
        message(window, text::kForbiddenInUserId, text::kCaution, MB_ICONINFORMATION);
        return false;
    }
    return true;
}

// Makes the folders, asks before replacing a secret key of the same name,
// and has the library write both key files with the first password.
void create_pair(HWND window) {
    if (!input_ok(window)) return;
    const std::string base = appdata_folder() + "\\" + rules::kKeyFolder + "\\";
    const std::string secret_folder = key_folder(rules::kSecretKey);
    const std::string public_folder = key_folder(rules::kPublicKey);
    const std::string secret =
        secret_folder + app.pair.user_id + rules::extension(rules::kSecretKey);
    const std::string public_key =
        public_folder + app.pair.user_id + rules::extension(rules::kPublicKey);
    // The main window and the library hold key paths in 260-byte buffers.
    char secret_path[kPathBytes];
    if (!copy_text(secret_path, secret.c_str()) || public_key.size() >= size_t(kPathBytes)) {
        message(window, text::kUserIdTooLong, text::kCaution, MB_ICONINFORMATION);
        return;
    }
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(secret_folder.c_str(), nullptr);
    if (GetFileAttributesA(secret.c_str()) != INVALID_FILE_ATTRIBUTES &&
        message(app.main, secret.c_str(), text::kKeyExists, MB_YESNO) != IDYES)
        return;
    CreateDirectoryA(public_folder.c_str(), nullptr);
    SecureZeroMemory(app.sel.password, sizeof app.sel.password);
    memcpy(app.sel.password, app.pair.first, kPasswordBytes);
    if (kagisakusei(secret.c_str(), public_key.c_str(), app.sel.password) != 0) {
        message(app.main, text::kErrorHappened, text::kFailure);
        return;
    }
    static_assert(sizeof app.sel.secret_key == sizeof secret_path);
    memcpy(app.sel.secret_key, secret_path, sizeof secret_path);
    close_form(window, 1);
}

// On a monitor of another DPI, as the main window (mainwnd.cpp).
void on_dpi_changed(HWND window, int dpi, const RECT &suggested) {
    const HFONT old[] = {app.f2, app.pair_f4};
    app.pair_dpi = dpi;
    app.f2 = make_font(kFontF1, dpi);
    app.pair_f4 = make_font(kFontF4, dpi);
    place_controls(window, kKeyPairLayout.controls, app.f2, dpi);
    SendDlgItemMessageA(window, IDK_CREATE, WM_SETFONT, WPARAM(app.pair_f4), TRUE);
    for (HFONT font : old) DeleteObject(font);
    set_small_icon(window, dpi);
    move_to(window, suggested);
}

// Its own F4 and icon go with the window; F2 stays for the next time.
void on_destroy(HWND window) {
    wipe_passwords();
    release_small_icon(window);
    DeleteObject(app.pair_f4);
    app.pair_f4 = nullptr;
}

void on_command(HWND window, WORD id, WORD code) {
    switch (id) {
        case IDK_USER_ID:
            if (code == EN_CHANGE) read_field(window, IDK_USER_ID, app.pair.user_id, kUserIdLimit);
            break;
        case IDK_FIRST:
            if (code == EN_CHANGE) password_changed(window, IDK_FIRST, app.pair.first);
            break;
        case IDK_SECOND:
            if (code == EN_CHANGE) password_changed(window, IDK_SECOND, app.pair.second);
            break;
        case IDK_CREATE:
            if (code == BN_CLICKED) create_pair(window);
            break;
        case IDK_SHOW_PASSWORD:
            if (code == BN_CLICKED) show_password(window);
            break;
    }
}

}  // namespace

void cmd_key_pair() {
    if (open_form(app.main, text::kKeyPairForm) != 1) return;
    SetDlgItemTextA(app.main, IDC_SECRET_FIELD, display_name(app.sel.secret_key).c_str());
    // The password field takes the new password over as if it had been typed.
    SetDlgItemTextA(app.main, IDC_PASSWORD, as_text(app.sel.password));
}

LRESULT CALLBACK key_pair_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    // The create button shows in F4, whatever font it was given before.
    if (HWND create = GetDlgItem(window, IDK_CREATE))
        SendMessageA(create, WM_SETFONT, WPARAM(app.pair_f4), FALSE);
    switch (msg) {
        case WM_INITDIALOG:
            on_init(window);
            return 0;
        case WM_CLOSE:
            close_form(window, 0);
            return 0;
        case WM_DESTROY:
            on_destroy(window);
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(window, HIWORD(wparam), *reinterpret_cast<const RECT *>(lparam));
            return 0;
        case WM_COMMAND:
            on_command(window, LOWORD(wparam), HIWORD(wparam));
            return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}
