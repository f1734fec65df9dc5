// verify: the tamper check of each archive against the sender's public key,
// one line each with the desktop program's three outcomes.
#include <string>

#include "archives.h"
#include "commands.h"
#include "keys.h"
#include "output.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "texts.h"

int run_verify(const Options &o) {
    std::string sender;
    if (!find_key(o.sender, rules::kPublicKey, &sender)) return kExitFailure;
    // An archive that could not be checked weighs more than one that did
    // not verify: its signature may well be fine.
    bool mismatch = false, error = false;
    for (const std::string &archive : o.operands) {
        int result;
        {
            ProgressBar bar(text::kChecking);
            result = syomei_kakunin(archive.c_str(), sender.c_str());
        }
        out() << Native{archive} << ": " << tamper_outcome(result, archive);
        mismatch = mismatch || result == -1;
        error = error || result > 0;
    }
    return error ? kExitFailure : mismatch ? kExitBadSignature : kExitOk;
}
