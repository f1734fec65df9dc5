// list-keys: the user IDs of the key folders, each public key with its
// fingerprint.
#include <string>
#include <vector>

#include "commands.h"
#include "digest.h"
#include "keys.h"
#include "output.h"
#include "system.h"
#include "texts.h"

int run_list_keys(const Options &) {
    KeyFolders folders;
    if (!key_folders(&folders)) return kExitFailure;
    int status = kExitOk;
    const std::vector<std::string> secrets =
        sys::names_in(folders.secret, rules::extension(rules::kSecretKey));
    out() << text::kSecretKeys << Native{folders.secret};
    if (secrets.empty()) out() << text::kNoKeys;
    for (const std::string &id : secrets) out() << "  " << Untrusted{id};

    const std::vector<std::string> publics =
        sys::names_in(folders.public_keys, rules::extension(rules::kPublicKey));
    out() << text::kPublicKeys << Native{folders.public_keys};
    if (publics.empty()) out() << text::kNoKeys;
    for (const std::string &id : publics) {
        Digest digest;
        if (!file_digest(folders.public_keys + id + rules::extension(rules::kPublicKey), &digest)) {
            status = kExitFailure;
            continue;
        }
        out() << "  " << digest_base64(digest) << "  " << Untrusted{id};
    }
    return status;
}
