// Finding key files.
#include "keys.h"

#include "causes.h"
#include "output.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

bool is_path(const std::string &value) {
    for (char c : value)
        if (sys::is_separator(c)) return true;
    return rules::has_extension(value.c_str(), rules::kSecretKey) ||
           rules::has_extension(value.c_str(), rules::kPublicKey);
}

}  // namespace

bool key_folders(KeyFolders *folders) {
    if (!sys::key_base_folder(&folders->base)) {
        err() << text::kNoKeyFolder;
        return false;
    }
    folders->secret = folders->base + rules::kSecretKeyFolder + sys::kSep;
    folders->public_keys = folders->base + rules::kPublicKeyFolder + sys::kSep;
    return true;
}

bool find_key(const std::string &value, rules::Kind kind, std::string *path) {
    std::string candidate = value;
    if (is_path(value)) {
        sys::full_path(value, &candidate);
    } else {
        KeyFolders folders;
        if (!key_folders(&folders)) return false;
        const std::string secret = folders.secret + value + rules::extension(rules::kSecretKey);
        const std::string public_key =
            folders.public_keys + value + rules::extension(rules::kPublicKey);
        // A creation of this pair that a stopped run left unfinished is
        // settled before the pair is used (the library says how).
        if (secret.size() < sys::kPathBytes && public_key.size() < sys::kPathBytes)
            kagi_shuufuku(secret.c_str(), public_key.c_str());
        candidate = kind == rules::kSecretKey ? secret : public_key;
    }
    if (value.empty() || candidate.size() >= sys::kPathBytes ||
        sys::kind(candidate) == sys::kMissing) {
        err() << Native{candidate}
              << (kind == rules::kSecretKey ? text::kNoSecretKey : text::kNoPublicKey);
        return false;
    }
    // Checked as the library will read it, so that a file that is no key is
    // named as such here, not taken for a wrong password or a failed check.
    if (const char *cause =
            unusable(candidate, kind == rules::kSecretKey ? Use::kSecretKey : Use::kPublicKey)) {
        err() << Native{candidate} << ": " << cause;
        return false;
    }
    *path = candidate;
    return true;
}

int user_id_ok(const std::string &id) {
    if (id.empty()) {
        err() << text::kConfirm << ": " << text::kEnterUserId;
        return 1;
    }
    if (rules::user_id_forbidden(id.c_str())) {
        err() << text::kCaution << ": " << text::kForbiddenInUserId;
        return 1;
    }
    if (id.size() > rules::kUserIdMaxBytes) {
        err() << text::kCaution << ": " << text::kUserIdTooLong;
        return 1;
    }
    return 0;
}
