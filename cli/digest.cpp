// The digest forms, computed as the desktop program's tools compute them.
#include "digest.h"

#include <cstring>

#include "causes.h"
#include "output.h"
#include "progress_bar.h"
#include "system.h"
#include "texts.h"

namespace {

struct DigestText {
    char text[rules::kDigestTextBytes] = {};
    ~DigestText() { sys::wipe(text, sizeof text); }
};

void encode(const Digest &digest, DigestText *out) {
    rules::digest_text(digest.words, out->text);
}

}  // namespace

Digest::~Digest() {
    sys::wipe(words, sizeof words);
}

FilePassword::~FilePassword() {
    sys::wipe(text, sizeof text);
}

bool file_digest(const std::string &path, Digest *digest) {
    ProgressBar bar(text::kHashing);
    if (SHA256(path.c_str(), digest->words) == 0) return true;
    bar.interrupt();
    const char *cause = unusable(path, Use::kRead);
    err() << Native{path} << ": " << (cause ? cause : text::kFailed);
    return false;
}

std::string digest_hex(const Digest &digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t word : digest.words)
        for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(word >> shift) & 0xF];
    return hex;
}

std::string digest_base64(const Digest &digest) {
    DigestText base64;
    encode(digest, &base64);
    return std::string(base64.text, strcspn(base64.text, "\r\n"));
}

bool password_from_file(const std::string &path, FilePassword *password) {
    Digest digest;
    if (!file_digest(path, &digest)) return false;
    DigestText base64;
    encode(digest, &base64);
    memcpy(password->text, base64.text, rules::kFilePasswordChars);
    return true;
}
