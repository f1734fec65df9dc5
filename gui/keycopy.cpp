// Copies of the selected key files: exported to a place the user picks, or a
// public key imported into the user's own public key folder, where the
// public key dialog opens.

#include "app.h"  // windows.h comes before every other system header

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "copy_text.h"
#include "strings.h"

namespace {

// What the secret and the public key's exports differ in.
struct ExportKind {
    const char *key;      // the selected key file
    const char *missing;  // the message when none is selected
    rules::Kind kind;     // the dialog's second filter entry is of this kind
    const char *title;    // the dialog's title
    const char *exists;   // the caption of the overwrite question
};

// Asks before replacing an existing file; true when the copy may go ahead.
bool may_write(const char *path, const char *question) {
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ||
           message(app.main, path, question, MB_YESNO) == IDYES;
}

// The save dialog offers the key's own name in the desktop folder. A place
// whose path would not fit 260 bytes is refused, not cut short.
void export_key(const ExportKind &kind) {
    if (!kind.key[0]) {
        message(app.main, kind.missing, text::kCaution);
        return;
    }
    const std::string filter = make_filter({text::kAllFilesFilter, "*"}) + kind_filter(kind.kind);
    char path[kPathBytes] = {};
    if (!copy_text(path, display_name(kind.key).c_str())) {
        message(app.main, text::kPathTooLong, text::kCaution);
        return;
    }
    if (!run_file_dialog(true, filter, special_folder(CSIDL_DESKTOPDIRECTORY), kind.title, path))
        return;
    if (!may_write(path, kind.exists)) return;
    CopyFileA(kind.key, path, FALSE);
}

}  // namespace

void cmd_export_secret() {
    export_key({app.sel.secret_key, text::kSelectSecretFirst, rules::kSecretKey,
                text::kExportSecretTitle, text::kSecretExists});
}

void cmd_export_public() {
    export_key({app.sel.public_key, text::kSelectPublicFirst, rules::kPublicKey,
                text::kExportPublicTitle, text::kPublicExists});
}

// The folder is not made here: it exists once a key pair has been created.
void cmd_import_public() {
    if (!app.sel.public_key[0]) {
        message(app.main, text::kSelectPublicFirst, text::kCaution);
        return;
    }
    PathParts parts;
    split_path(app.sel.public_key, &parts);
    const std::string destination = key_folder(rules::kPublicKey) + parts.name + parts.ext;
    if (destination.size() >= size_t(kPathBytes)) {
        message(app.main, text::kPathTooLong, text::kCaution);
        return;
    }
    if (!may_write(destination.c_str(), text::kPublicExists)) return;
    CopyFileA(app.sel.public_key, destination.c_str(), FALSE);
}
