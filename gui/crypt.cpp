// Encrypt and decrypt: the readiness test both share, the one blocking call
// into the library (busy.cpp), and what the user sees afterwards.

#include "app.h"  // windows.h comes before every other system header

#include <cstring>

#include "quillcore.h"
#include "strings.h"

namespace {

bool refuse(const char *body, const char *caption = text::kCaution) {
    message(app.main, body, caption);
    return false;
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
    busy_begin(text::kEncrypting);
    const SelectionState &sel = app.sel;
    const int result = angouka(sel.secret_key, sel.password, sel.public_key, sel.compress);
    busy_end();
    if (result > 0) message(app.main, text::kErrorOccurred, text::kFailure);
    end_run(text::kEncrypted);
}

// The public key is the sender's; it checks each archive's signature.
void cmd_decrypt() {
    if (!check_selection()) return;
    busy_begin(text::kDecrypting);
    const SelectionState &sel = app.sel;
    const int result = fukugouka(sel.secret_key, sel.password, sel.public_key);
    busy_end();
    if (result == 1) message(app.main, text::kErrorOccurred, text::kFailure);
    if (result == 2) message(app.main, text::kKeysMayNotMatch, text::kFailure);
    end_run(text::kDecrypted);
}
