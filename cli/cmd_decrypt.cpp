// decrypt: each archive whose signature verifies is restored beside itself,
// as the desktop program restores it, or with -C into another folder; or,
// with -o, the one file of one archive under the name -o gives, or to
// standard output.
#include <string>
#include <vector>

#include "answers.h"
#include "archives.h"
#include "commands.h"
#include "destinations.h"
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

// The archive's one file, restored in the run's own folder (on the file
// system of target, so that it takes its name in one rename), then given
// target's name (settled as the library settles names) or, for an empty
// target, sent to standard output. Nothing leaves the folder before the
// archive's signature has verified, unless --ignore-signature said so.
int decrypt_to(const Options &o, const std::string &archive, const std::string &secret,
               const std::string &sender, const Password &password, const std::string &target) {
    std::string folder;
    if (!sys::make_scratch(target.substr(0, sys::name_start(target)), &folder)) {
        err() << Native{target.empty() ? archive : target} << text::kNoScratch;
        return kExitFailure;
    }
    bool fatal = false;
    const std::string into = folder.substr(0, folder.size() - 1);
    if (const int status = decrypt_one(o, archive, secret, sender, into, password, &fatal))
        return status;
    const std::vector<std::string> names = sys::entries(folder);
    if (names.size() != 1 || sys::kind(folder + names[0]) != sys::kFile) {
        err() << Native{archive} << text::kNotOneFile;
        return kExitFailure;
    }
    const std::string restored = folder + names[0];
    if (target.empty()) return send_output(restored) ? kExitOk : kExitFailure;
    // A name taken by another program between the question and the rename
    // is settled again.
    for (int tries = 0; tries < 3; tries++) {
        std::string path = target;
        const Settled how = settle_output(&path);
        if (how == Settled::kStop) {
            say_stopped(path);
            return kExitFailure;
        }
        if (sys::rename_file(restored, path, how == Settled::kReplace)) {
            out() << Native{path};
            return kExitOk;
        }
        if (how == Settled::kReplace || sys::kind(path) == sys::kMissing) break;
    }
    err() << Native{target} << text::kNotPlaced;
    return kExitFailure;
}

}  // namespace

int run_decrypt(const Options &o) {
    if (o.has(kOptOutput) && (o.has(kOptDirectory) || o.operands.size() != 1)) {
        err() << (o.has(kOptDirectory) ? text::kOutputOrDirectory : text::kOutputOneArchive);
        return usage_error("decrypt");
    }
    std::string target;  // the file -o names; empty for standard output
    if (o.has(kOptOutput) && o.output != "-" && !output_path(o.output, &target))
        return kExitFailure;
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
    if (o.has(kOptOutput)) return decrypt_to(o, archives.front(), secret, sender, password, target);

    // The first archive that went wrong gives the exit status.
    int status = kExitOk;
    bool fatal = false;
    for (size_t i = 0; i < archives.size() && !fatal; i++) {
        const int one = decrypt_one(o, archives[i], secret, sender, folder, password, &fatal);
        if (status == kExitOk) status = one;
    }
    return status;
}
