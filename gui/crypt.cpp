// Encrypt and decrypt: the readiness test both share, the wait cursor, the
// one blocking call into the library, and what the user sees afterwards.

#include "app.h"  // windows.h comes before every other system header

#include <cstring>

#include "quillcore.h"
#include "strings.h"

namespace {

bool refuse(const char *body, const char *caption = text::kCaution) {
    message(app.main, body, caption);
    return false;
}

// The wait cursor from the current folder, shown while the library works;
// without the file the cursor stays as it is.
struct WaitCursor {
    HCURSOR wait;
    HCURSOR kept;
};

WaitCursor begin_wait() {
    WaitCursor cursor = {LoadCursorFromFileA(text::kWaitCursorFile), nullptr};
    if (cursor.wait) cursor.kept = SetCursor(cursor.wait);
    return cursor;
}

void end_wait(const WaitCursor &cursor) {
    if (!cursor.wait) return;
    SetCursor(cursor.kept);
    DestroyCursor(cursor.wait);
}

// The library's own message boxes have no owner, so the main window would
// stay usable while one is up; it is disabled for the call, because a second
// library operation (a drop, another command) must not start inside the
// first. Returns the control that had the focus, to give it back after.
HWND hold_main() {
    HWND focus = GetFocus();
    EnableWindow(app.main, FALSE);
    return focus;
}

void release_main(HWND focus) {
    EnableWindow(app.main, TRUE);
    if (focus && IsWindow(focus)) SetFocus(focus);
}

void show_info(const char *line) {
    SetDlgItemTextA(app.main, IDC_INFO_LABEL, text::kInfoLabel);
    SetDlgItemTextA(app.main, IDC_INFO, line);
}

// Whatever the result, the items have to be chosen again; keys and password
// stay for the next run.
void end_run(const char *done) {
    memset(app.sel.selected, 0, sizeof app.sel.selected);
    SetDlgItemTextA(app.main, IDC_FILE_FIELD, "");
    SetDlgItemTextA(app.main, IDC_INFO, done);
}

}  // namespace

// The password is checked against the secret key before any archive is
// touched.
bool check_selection() {
    const SelectionState &sel = app.sel;
    if (!sel.secret_key[0]) return refuse(text::kChooseSecret);
    if (!sel.password[0]) return refuse(text::kEnterPassword);
    if (GetFileAttributesA(sel.secret_key) == INVALID_FILE_ATTRIBUTES)
        return refuse(sel.secret_key, text::kNoSecretKeyCaption);
    if (password_check(sel.secret_key, sel.password) != 0) return refuse(text::kWrongPassword);
    if (!sel.public_key[0]) return refuse(text::kChoosePublic);
    if (!sel.selected[0]) return refuse(text::kChooseFile);
    return true;
}

void cmd_encrypt() {
    if (!check_selection()) return;
    const WaitCursor cursor = begin_wait();
    show_info(text::kEncrypting);
    const SelectionState &sel = app.sel;
    HWND focus = hold_main();
    const int result = angouka(sel.secret_key, sel.password, sel.public_key, sel.compress);
    release_main(focus);
    if (result > 0) message(app.main, text::kErrorOccurred, text::kFailure);
    end_run(text::kEncrypted);
    end_wait(cursor);
}

// The public key is the sender's; it checks each archive's signature.
void cmd_decrypt() {
    if (!check_selection()) return;
    const WaitCursor cursor = begin_wait();
    show_info(text::kDecrypting);
    const SelectionState &sel = app.sel;
    HWND focus = hold_main();
    const int result = fukugouka(sel.secret_key, sel.password, sel.public_key);
    release_main(focus);
    if (result == 1) message(app.main, text::kErrorOccurred, text::kFailure);
    if (result == 2) message(app.main, text::kKeysMayNotMatch, text::kFailure);
    end_run(text::kDecrypted);
    end_wait(cursor);
}
