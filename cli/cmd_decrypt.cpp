// decrypt: each archive whose signature verifies is restored beside itself,
// as the desktop program restores it, or with -C into another folder.
#include <string>
#include <vector>

#include "answers.h"
#include "archives.h"
#include "commands.h"
#include "keys.h"
#include "output.h"
#include "password.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

// One archive, read once: the library deciphers it into temporary files
// while it hashes it and puts them in place only once the signature has
// verified (or, with --ignore-signature, after all). A damaged archive is
// tampering when its signature fails too: the library reads it to its end
// and refuses it, or, after --ignore-signature, puts in place what came
// before the damage and fails. *fatal: the reader failed, which ends the run
// as it ends the library's run over a selection; a signature that fails or
// a name question answered "処理中止" concerns that archive alone.
int decrypt_one(const Options &o, const std::string &archive, const std::string &secret,
                const std::string &sender, const std::string &folder, const Password &password,
                bool *fatal) {
    forget_conflicts();
    const bool ignore = o.has(kOptIgnoreSignature);
    int32_t result;
    {
        ProgressBar bar(text::kDecrypting);
        result = fukugou_kensyou(secret.c_str(), password.block, sender.c_str(), archive.c_str(),
                                 folder.empty() ? nullptr : folder.c_str(), ignore ? 1 : 0);
    }
    if (result == -1) {
        err() << Native{archive} << ": " << tamper_outcome(result, archive);
        if (!ignore) {
            err() << text::kRefused;
            return kExitBadSignature;
        }
        result = 0;
    }
    if (result == 1 && ignore && signature_fails(archive, sender)) {
        err() << Native{archive} << ": " << text::kTampered;
        return kExitBadSignature;
    }
    if (const int status = reader_status(result, archive)) {
        *fatal = true;
        return status;
    }
    if (!conflicts().stopped) return kExitOk;
    err() << Native{archive} << text::kDecryptStopped1 << Native{conflicts().stopped_at}
          << text::kDecryptStopped2;
    if (conflicts().unasked) err() << text::kAnswerWithFlag;
    return kExitFailure;
}

}  // namespace

int run_decrypt(const Options &o) {
    std::string secret, sender, folder;
    if (!find_key(o.secret_key, rules::kSecretKey, &secret) ||
        !find_key(o.sender, rules::kPublicKey, &sender))
        return kExitFailure;
    std::vector<std::string> archives;
    if (!find_archives(o.operands, &archives)) return kExitFailure;
    if (o.has(kOptDirectory) &&
        (!sys::full_path(o.directory, &folder) || sys::kind(folder) != sys::kFolder)) {
        err() << Native{o.directory} << text::kNoFolder;
        return kExitFailure;
    }
    Password password;
    if (const int status = unlock(o, secret, &password)) return status;

    // The first archive that went wrong gives the exit status.
    int status = kExitOk;
    bool fatal = false;
    for (size_t i = 0; i < archives.size() && !fatal; i++) {
        const int one = decrypt_one(o, archives[i], secret, sender, folder, password, &fatal);
        if (status == kExitOk) status = one;
    }
    return status;
}
