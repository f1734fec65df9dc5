// import and export: public keys as people hand them to each other. import
// copies a received public key into the public key folder under a user ID
// and shows its fingerprint, to be compared with its owner's; export writes
// a public key of the key folder where it is to go.
#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "causes.h"
#include "commands.h"
#include "destinations.h"
#include "digest.h"
#include "keys.h"
#include "output.h"
#include "system.h"
#include "texts.h"

namespace {

// The user ID a received key file is kept under: --as, else its file name
// without ".velk".
std::string imported_id(const Options &o, const std::string &typed) {
    if (o.has(kOptAs)) return o.as;
    std::string id = typed.substr(sys::name_start(typed));
    if (rules::has_extension(id.c_str(), rules::kPublicKey))
        id.resize(id.size() - std::strlen(rules::extension(rules::kPublicKey)));
    return id;
}

// Whether another key of the same name may be replaced: --overwrite, or yes
// on the terminal after both fingerprints.
bool may_replace(const Options &o, const std::string &target, const Digest &old,
                 const Digest &fresh) {
    if (o.has(kOptOverwrite)) return true;
    if (o.has(kOptSkip)) return false;
    if (!sys::can_ask()) {
        err() << Native{target} << ": " << text::kPublicKeyExists;
        return false;
    }
    err() << text::kPublicKeyExists << "\n  " << Native{target};
    err() << text::kOldFingerprint << digest_base64(old);
    err() << text::kNewFingerprint << digest_base64(fresh);
    return ask_yes();
}

int show_key(const std::string &id, const Digest &digest) {
    out() << text::kUserIdIs << Untrusted{id};
    out() << text::kFingerprintIs << digest_base64(digest);
    out() << text::kCompareFingerprint;
    return kExitOk;
}

// The user ID of one's own key pair when there is one only.
bool own_id(std::string *id) {
    KeyFolders folders;
    if (!key_folders(&folders)) return false;
    const std::vector<std::string> own =
        sys::names_in(folders.secret, rules::extension(rules::kSecretKey));
    if (own.size() != 1) {
        err() << text::kWhichKey;
        return false;
    }
    *id = own.front();
    return true;
}

}  // namespace

int run_import(const Options &o) {
    const std::string &typed = o.operands.front();
    std::string source;
    // Checked as the library's key reader takes a public key.
    const char *cause =
        sys::full_path(typed, &source) ? unusable(source, Use::kPublicKey) : text::kIsMissing;
    if (cause) {
        err() << Native{typed} << ": " << cause;
        return kExitFailure;
    }
    const std::string id = imported_id(o, typed);
    if (const int status = user_id_ok(id)) return status;
    KeyFolders folders;
    if (!key_folders(&folders)) return kExitFailure;
    // The secret key folder is left alone: the desktop program takes it
    // for the sign that a key pair has been made.
    if (!sys::make_folders(folders.base, false) || !sys::make_folders(folders.public_keys, false)) {
        err() << Native{folders.base} << text::kNoFolder;
        return kExitFailure;
    }
    const std::string target = folders.public_keys + id + rules::extension(rules::kPublicKey);
    if (target.size() >= sys::kPathBytes) {
        err() << text::kCaution << ": " << text::kUserIdTooLong;
        return kExitFailure;
    }
    Digest fresh;
    if (!file_digest(source, &fresh)) return kExitFailure;
    if (sys::kind(target) != sys::kMissing) {
        Digest old;
        if (!file_digest(target, &old)) return kExitFailure;
        if (std::memcmp(old.words, fresh.words, sizeof old.words) == 0) {
            out() << text::kAlreadyImported << Native{target};
            return show_key(id, fresh);
        }
        if (!may_replace(o, target, old, fresh)) {
            err() << text::kKeyNotImported;
            return kExitFailure;
        }
    }
    if (!sys::copy_file(source, target)) {
        err() << Native{target} << text::kKeyNotWritten;
        return kExitFailure;
    }
    out() << text::kImported << Native{target};
    return show_key(id, fresh);
}

int run_export(const Options &o) {
    std::string id = o.operands.empty() ? std::string() : o.operands.front();
    std::string key;
    if ((id.empty() && !own_id(&id)) || !find_key(id, rules::kPublicKey, &key)) return kExitFailure;
    if (!o.has(kOptOutput) || o.output == "-") return send_output(key) ? kExitOk : kExitFailure;
    std::string target;
    if (!output_path(o.output, &target)) return kExitFailure;
    if (settle_output(&target) == Settled::kStop) {
        say_stopped(target);
        return kExitFailure;
    }
    Digest digest;
    if (!sys::copy_file(key, target)) {
        err() << Native{target} << text::kKeyNotWritten;
        return kExitFailure;
    }
    if (!file_digest(target, &digest)) return kExitFailure;
    out() << Native{target};
    out() << text::kFingerprintIs << digest_base64(digest);
    return kExitOk;
}
