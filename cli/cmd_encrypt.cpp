// encrypt: the items into one signed archive beside the first, named as the
// library names it (the first item's name and ".velm"), or at the path -o
// gives, whose path is printed; "-" as the only item is standard input, and
// the archive then goes to standard output unless -o names it. The items
// are selected one by one as the desktop program selects dropped files.
#include <string>
#include <vector>

#include "answers.h"
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

// The name standard input is stored under when neither --name nor -o says.
constexpr char kInputName[] = "stdin";

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

// The entry name of standard input: --name, else the archive's name that -o
// gives without ".velm", else kInputName. One name, no folder.
bool input_name(const Options &o, std::string *name) {
    if (o.has(kOptName)) {
        *name = o.name;
    } else if (o.has(kOptOutput) && o.output != "-") {
        *name = o.output.substr(sys::name_start(o.output));
        const size_t ext = std::string(rules::extension(rules::kArchive)).size();
        if (rules::has_extension(name->c_str(), rules::kArchive)) name->resize(name->size() - ext);
    }
    if (!o.has(kOptName) && (name->empty() || *name == "." || *name == "..")) *name = kInputName;
    if (name->empty() || *name == "." || *name == ".." || sys::name_start(*name) != 0 ||
        name->back() == sys::kSep) {
        err() << text::kBadEntryName << Native{o.name};
        return false;
    }
    return true;
}

// What the command line asks of standard input and output, checked before
// anything else. 0 or 64.
int check_streams(const Options &o, bool from_input, bool to_output) {
    const char *wrong = nullptr;
    if (from_input && o.operands.size() > 1)
        wrong = text::kStdinAlone;
    else if (o.has(kOptName) && !from_input)
        wrong = text::kNameWithoutStdin;
    else if (to_output && !o.has(kOptOutput) && sys::is_terminal(sys::kOut))
        wrong = text::kArchiveToTerminal;
    if (!wrong) return kExitOk;
    err() << wrong;
    return usage_error("encrypt");
}

}  // namespace

int run_encrypt(const Options &o) {
    bool from_input = false;
    for (const std::string &item : o.operands) from_input = from_input || item == "-";
    const bool to_output = o.has(kOptOutput) ? o.output == "-" : from_input;
    if (const int status = check_streams(o, from_input, to_output)) return status;
    std::string name, named;  // standard input's entry name; the archive -o names
    if (from_input && !input_name(o, &name)) return usage_error("encrypt");
    if (o.has(kOptOutput) && !to_output && !output_path(o.output, &named)) return kExitFailure;

    std::string secret, recipient;
    if (!find_key(o.secret_key, rules::kSecretKey, &secret) ||
        !find_key(o.recipient, rules::kPublicKey, &recipient))
        return kExitFailure;
    std::vector<std::string> items;
    if (!from_input && !find_items(o.operands, &items)) return kExitFailure;
    for (const std::string &item : items) {
        if (item != named) continue;
        err() << Native{o.output} << text::kOutputIsItem;
        return kExitFailure;
    }
    // Standard input carries the data: the password is asked on the console.
    if (from_input) sys::ask_on_console();
    Password password;
    if (const int status = unlock(o, secret, &password)) return status;

    if (from_input) {
        items.emplace_back();
        if (!take_input(name, &items.back())) return kExitFailure;
    }
    std::string archive = items.front() + rules::extension(rules::kArchive);
    if (to_output) {
        std::string folder;
        if (!from_input && !sys::make_scratch("", &folder)) {
            err() << Native{items.front()} << text::kNoScratch;
            return kExitFailure;
        }
        // Standard input's file lies in the run's folder already.
        if (!from_input) named = folder + archive.substr(sys::name_start(archive));
    }
    if (!to_output && named.empty() && archive.size() >= sys::kPathBytes) {
        err() << Native{items.front()} << ": " << text::kPathTooLong;
        return kExitFailure;
    }

    for (size_t i = 0; i < items.size(); i++) file_get(int32_t(i), items[i].c_str());
    int32_t result;
    {
        ProgressBar bar(text::kEncrypting);
        const int32_t compress = o.has(kOptNoCompress) ? 0 : 1;
        result = angouka_saki(secret.c_str(), password.block, recipient.c_str(), compress,
                              named.empty() ? nullptr : named.c_str());
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
    if (to_output) return send_output(archive) ? kExitOk : kExitFailure;
    out() << Native{archive};
    return kExitOk;
}
