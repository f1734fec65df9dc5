// Archives and their signatures.
#include "archives.h"

#include "answers.h"
#include "causes.h"
#include "commands.h"
#include "output.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

bool find_archives(const std::vector<std::string> &typed, std::vector<std::string> *archives) {
    for (const std::string &archive : typed) {
        std::string path;
        const char *cause =
            !sys::full_path(archive, &path)
                ? sys::kind(archive) == sys::kMissing ? text::kIsMissing : text::kPathTooLong
                : unusable(path, Use::kRead);
        if (cause) {
            err() << Native{archive} << ": " << cause;
            return false;
        }
        archives->push_back(path);
    }
    return true;
}

const char *tamper_outcome(int result, const std::string &archive) {
    if (result == 0) return text::kNotTampered;
    if (result == -1) return text::kTampered;
    // The sender's public key passed as one before any archive was checked
    // (find_key): what can be found lies with the archive.
    const char *cause = unusable(archive, Use::kSigned);
    return cause ? cause : text::kFailed;
}

int signature_gate(const Options &o, const std::string &archive, const std::string &sender,
                   bool *ignored) {
    int result;
    {
        ProgressBar bar(text::kChecking);
        result = syomei_kakunin(archive.c_str(), sender.c_str());
    }
    if (result == 0) return kExitOk;
    err() << Native{archive} << ": " << tamper_outcome(result, archive);
    *ignored = o.has(kOptIgnoreSignature);
    if (*ignored) return kExitOk;
    err() << text::kRefused;
    return kExitBadSignature;
}

bool signature_fails(const std::string &archive, const std::string &sender) {
    ProgressBar bar(text::kChecking);
    return syomei_kakunin(archive.c_str(), sender.c_str()) == -1;
}

int reader_status(int result, const std::string &archive) {
    if (result == 0) return kExitOk;
    if (result == 2) {
        err() << Native{archive} << ": " << text::kKeysMayNotMatch;
        return kExitKeyMismatch;
    }
    // The library has said what failed and why, unless it had no cause.
    if (!conflicts().failed) err() << Native{archive} << ": " << text::kFailed;
    return kExitFailure;
}
