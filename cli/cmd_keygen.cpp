// keygen: a key pair named after a user ID, with the key pair window's
// checks: an ID, none of the nine characters a file name cannot hold, a
// password of 8 bytes or more typed the same twice (asked again, up to three
// times in all, on a terminal), and a question before a secret key of the
// same name is replaced.
#include <cstring>
#include <string>

#include "answers.h"
#include "commands.h"
#include "keys.h"
#include "output.h"
#include "password.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

constexpr int kPasswordTries = 3;

int passwords_ok(const Password &first, const Password &second) {
    if (first.length() < rules::kPasswordMinBytes) {
        err() << text::kFirstPasswordCaption << ": " << text::kPasswordTooShort;
        return kExitFailure;
    }
    if (second.length() < rules::kPasswordMinBytes) {
        err() << text::kSecondPasswordCaption << ": " << text::kPasswordTooShort;
        return kExitFailure;
    }
    if (memcmp(first.block, second.block, kPasswordBytes) != 0) {
        err() << text::kCaution << ": " << text::kPasswordsDiffer;
        return kExitFailure;
    }
    return kExitOk;
}

// The new password, typed twice, into *password: on a terminal asked again
// after a short or mismatched one. 0 or an exit status.
int new_password(const Options &o, Password *password) {
    for (int tries = 1;; tries++) {
        // The block holds the text and zero bytes after it: nothing of a
        // longer try may stay.
        sys::wipe(password->block, sizeof password->block);
        Password again;
        if (const int status = read_password(o, password, &again)) return status;
        const int status = passwords_ok(*password, again);
        if (status == kExitOk || (o.given & kOptPassword) || tries == kPasswordTries) return status;
    }
}

// The folders the two files go into, made as needed; the secret key folder
// for its owner alone.
bool prepare_folders(const Options &o, std::string *secret_folder, std::string *public_folder) {
    if (o.has(kOptOutDir)) {
        std::string dir;
        if (!sys::full_path(o.out_dir, &dir) || sys::kind(dir) != sys::kFolder) {
            err() << Native{o.out_dir} << text::kNoFolder;
            return false;
        }
        *secret_folder = *public_folder = dir + sys::kSep;
        return true;
    }
    KeyFolders folders;
    if (!key_folders(&folders)) return false;
    *secret_folder = folders.secret;
    *public_folder = folders.public_keys;
    if (!sys::make_folders(folders.base, false) || !sys::make_folders(folders.secret, true) ||
        !sys::make_folders(folders.public_keys, false)) {
        err() << Native{folders.base} << text::kNoFolder;
        return false;
    }
    return true;
}

// Only the secret key is tested, as in the key pair window: a public key of
// the same name is replaced with it.
bool may_write(const Options &o, const std::string &secret) {
    if (sys::kind(secret) == sys::kMissing || o.has(kOptOverwrite)) return true;
    if (sys::can_ask()) {
        err() << text::kKeyExists << "\n  " << Native{secret};
        if (ask_yes()) return true;
    } else {
        err() << Native{secret} << ": " << text::kKeyExists;
    }
    err() << text::kKeyKept;
    return false;
}

}  // namespace

int run_keygen(const Options &o) {
    const std::string &id = o.operands[0];
    if (const int status = user_id_ok(id)) return status;
    std::string secret_folder, public_folder;
    if (!prepare_folders(o, &secret_folder, &public_folder)) return kExitFailure;
    const std::string secret = secret_folder + id + rules::extension(rules::kSecretKey);
    const std::string public_key = public_folder + id + rules::extension(rules::kPublicKey);
    if (secret.size() >= sys::kPathBytes || public_key.size() >= sys::kPathBytes) {
        err() << text::kCaution << ": " << text::kUserIdTooLong;
        return kExitFailure;
    }
    // A creation of this pair that a stopped run left unfinished is settled
    // first (the library says how), so that the question below is about the
    // pair as it stands.
    kagi_shuufuku(secret.c_str(), public_key.c_str());
    if (!may_write(o, secret)) return kExitFailure;
    Password first;
    if (const int status = new_password(o, &first)) return status;

    // The library writes both files privately beside their names and puts
    // them in place together; a failure leaves the pair as it was, and its
    // box has said why.
    if (kagisakusei(secret.c_str(), public_key.c_str(), first.block) != 0) {
        if (!conflicts().failed) err() << Native{secret} << ": " << text::kFailed;
        return kExitFailure;
    }
    out() << text::kSecretKeyMade << Native{secret};
    out() << text::kPublicKeyMade << Native{public_key};
    return kExitOk;
}
