// encrypt: the items into one signed archive beside the first, named as the
// library names it (the first item's name and ".velm"), whose path is
// printed. The items are selected one by one as the desktop program selects
// dropped files.
#include <string>
#include <vector>

#include "answers.h"
#include "commands.h"
#include "keys.h"
#include "output.h"
#include "password.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

// The items as full paths. The library names entries relative to the first
// item's folder and takes nothing from elsewhere, and it passes over a
// missing item: both are refused here, before a password is asked.
bool find_items(const std::vector<std::string> &typed, std::vector<std::string> *items) {
    for (const std::string &item : typed) {
        std::string path;
        const sys::Kind kind = sys::full_path(item, &path) ? sys::kind(path) : sys::kMissing;
        if (kind != sys::kFile && kind != sys::kFolder) {
            err() << Native{item} << text::kNoItem;
            return false;
        }
        if (!items->empty() && path.compare(0, sys::name_start(path), items->front(), 0,
                                            sys::name_start(items->front())) != 0) {
            err() << Native{item} << ": " << text::kNotOneFolder;
            return false;
        }
        items->push_back(path);
    }
    return true;
}

}  // namespace

int run_encrypt(const Options &o) {
    std::string secret, recipient;
    if (!find_key(o.secret_key, rules::kSecretKey, &secret) ||
        !find_key(o.recipient, rules::kPublicKey, &recipient))
        return kExitFailure;
    std::vector<std::string> items;
    if (!find_items(o.operands, &items)) return kExitFailure;
    std::string archive = items.front() + ".velm";
    if (archive.size() >= sys::kPathBytes) {
        err() << Native{items.front()} << ": " << text::kPathTooLong;
        return kExitFailure;
    }
    Password password;
    if (const int status = unlock(o, secret, &password)) return status;

    for (size_t i = 0; i < items.size(); i++) file_get(int32_t(i), items[i].c_str());
    int32_t result;
    {
        ProgressBar bar(text::kEncrypting);
        result = angouka(secret.c_str(), password.block, recipient.c_str(),
                         o.has(kOptNoCompress) ? 0 : 1);
    }
    if (result == 1) {
        // The library has said what failed and why, unless it had no cause.
        if (!conflicts().failed) err() << Native{items.front()} << ": " << text::kFailed;
        return kExitFailure;
    }
    // The name the library settled, a free name(N) after "別名保存".
    if (*angoufilemei()) archive = angoufilemei();
    if (result == 2) {
        err() << Native{archive} << text::kUnsigned;
        return kExitFailure;
    }
    if (conflicts().stopped) {
        err() << Native{conflicts().stopped_at} << text::kEncryptStopped;
        if (conflicts().unasked) err() << text::kAnswerWithFlag;
        return kExitFailure;
    }
    out() << Native{archive};
    return kExitOk;
}
