// The Tools menu: an archive's signature checked without decrypting it, a
// file's SHA-256 value, a public key's fingerprint and a password made from
// a file. The library computes; these commands turn its results into text.

#include "app.h"  // windows.h comes before every other system header

#include <cstdint>
#include <cstring>

#include "digest_text.h"
#include "quillcore.h"
#include "strings.h"

namespace {

struct Digest {
    uint32_t words[QUILL_SHA_WORDS];  // H0..H7, each in the machine's byte order
};

bool hash_file(const char *path, Digest *digest) {
    memset(digest, 0, sizeof *digest);
    if (SHA256(path, digest->words) == 0) return true;
    message(app.main, text::kErrorHappened, text::kFailure);
    return false;
}

void show_info(const char *label, const char *value) {
    SetDlgItemTextA(app.main, IDC_INFO, value);
    SetDlgItemTextA(app.main, IDC_INFO_LABEL, label);
}

bool have_item() {
    if (app.sel.selected[0]) return true;
    message(app.main, text::kNoFileSelected, text::kCaution);
    return false;
}

}  // namespace

void cmd_tamper_check() {
    if (!app.sel.public_key[0]) {
        message(app.main, text::kSelectPublicFirst, text::kCaution);
        return;
    }
    if (!have_item()) return;
    // The line shows the check's progress, then what it showed before.
    char line[kPathBytes];
    GetDlgItemTextA(app.main, IDC_INFO, line, sizeof line);
    char label[kPathBytes];
    GetDlgItemTextA(app.main, IDC_INFO_LABEL, label, sizeof label);
    busy_begin(text::kChecking);
    const int result = syomei_kakunin(app.sel.selected, app.sel.public_key);
    busy_end();
    show_info(label, line);
    if (result == -1)
        message(app.main, text::kTampered, text::kWarning);
    else if (result > 0)
        message(app.main, text::kErrorOccurred, text::kFailure);
    else if (result == 0)
        message(app.main, text::kNotTampered, text::kSafe);
}

// The usual hexadecimal form: the words first to last, each most significant
// digit first.
void cmd_sha256() {
    if (!have_item()) return;
    Digest digest;
    if (!hash_file(app.sel.selected, &digest)) return;
    static const char kDigits[] = "0123456789abcdef";
    char hex[2 * sizeof digest.words + 1] = {};
    char *out = hex;
    for (uint32_t word : digest.words)
        for (int shift = 28; shift >= 0; shift -= 4) *out++ = kDigits[(word >> shift) & 0xF];
    show_info(text::kSha256Label, hex);
}

void cmd_fingerprint() {
    if (!app.sel.public_key[0]) {
        message(app.main, text::kNoPublicSelected, text::kCaution);
        return;
    }
    Digest digest;
    if (!hash_file(app.sel.public_key, &digest)) return;
    char fingerprint[rules::kDigestTextBytes];
    rules::digest_text(digest.words, fingerprint);
    show_info(text::kFingerprintLabel, fingerprint);
}

// The same file always gives the same password of 43 Base64 characters.
void cmd_password_from_file() {
    if (!have_item()) return;
    Digest digest;
    if (!hash_file(app.sel.selected, &digest)) return;
    char base64[rules::kDigestTextBytes];
    rules::digest_text(digest.words, base64);
    base64[rules::kFilePasswordChars] = '\0';
    SecureZeroMemory(app.sel.password, sizeof app.sel.password);
    memcpy(app.sel.password, base64, rules::kFilePasswordChars);
    // The field takes it over as if it had been typed.
    SetDlgItemTextA(app.main, IDC_PASSWORD, base64);
    // The digest and its text are the password itself.
    SecureZeroMemory(base64, sizeof base64);
    SecureZeroMemory(&digest, sizeof digest);
}
