// sha256, fingerprint and password-from: the desktop program's tools, each
// value on a line of its own.
#include <string>

#include "commands.h"
#include "digest.h"
#include "keys.h"
#include "output.h"

// The value, two blanks and the name, as sha256sum prints it.
int run_sha256(const Options &o) {
    int status = kExitOk;
    for (const std::string &file : o.operands) {
        Digest digest;
        if (!file_digest(file, &digest)) {
            status = kExitFailure;
            continue;
        }
        out() << digest_hex(digest) << "  " << Native{file};
    }
    return status;
}

int run_fingerprint(const Options &o) {
    int status = kExitOk;
    for (const std::string &key : o.operands) {
        std::string path;
        Digest digest;
        if (!find_key(key, rules::kPublicKey, &path) || !file_digest(path, &digest)) {
            status = kExitFailure;
            continue;
        }
        out() << digest_base64(digest) << "  " << Native{key};
    }
    return status;
}

int run_password_from(const Options &o) {
    FilePassword password;
    if (!password_from_file(o.operands[0], &password)) return kExitFailure;
    out() << password.text;
    return kExitOk;
}
