// The options in the manner of the usual tools: "-k VALUE" or "-kVALUE",
// "--secret-key VALUE" or "--secret-key=VALUE", "--" before operands that
// begin with "-".
#include "options.h"

#include <cstring>

#include "output.h"
#include "texts.h"

namespace {

struct OptionName {
    char letter;  // 0: long name only
    const char *name;
    Option option;
    std::string Options::*value;  // null for a flag
};

const OptionName kOptionNames[] = {
    {'k', "secret-key", kOptSecretKey, &Options::secret_key},
    {'r', "recipient", kOptRecipient, &Options::recipient},
    {'s', "sender", kOptSender, &Options::sender},
    {0, "no-compress", kOptNoCompress, nullptr},
    {0, "out-dir", kOptOutDir, &Options::out_dir},
    {'C', "directory", kOptDirectory, &Options::directory},
    {0, "ignore-signature", kOptIgnoreSignature, nullptr},
    {0, "overwrite", kOptOverwrite, nullptr},
    {0, "rename", kOptRename, nullptr},
    {0, "skip", kOptSkip, nullptr},
    {0, "passphrase-file", kOptPassphraseFile, &Options::passphrase_file},
    {0, "passphrase-fd", kOptPassphraseFd, nullptr},
    {0, "passphrase-from", kOptPassphraseFrom, &Options::passphrase_from},
    {'q', "quiet", kOptQuiet, nullptr},
    {'h', "help", kOptHelp, nullptr},
};

// The descriptor number: decimal digits only, no sign, within an int.
bool parse_fd(const std::string &text, int *fd) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    *fd = value;
    return true;
}

int fail(const CommandSpec &spec, const char *text, const std::string &what) {
    err() << text << Native{what};
    return usage_error(spec.name);
}

const OptionName *find_long(const std::string &name) {
    for (const OptionName &o : kOptionNames)
        if (name == o.name) return &o;
    return nullptr;
}

const OptionName *find_short(char letter) {
    for (const OptionName &o : kOptionNames)
        if (o.letter != 0 && o.letter == letter) return &o;
    return nullptr;
}

bool needs_value(const OptionName &o) {
    return o.value != nullptr || o.option == kOptPassphraseFd;
}

}  // namespace

int usage_error(const char *command) {
    if (command)
        err() << text::kSeeCommandHelp1 << command << text::kSeeCommandHelp2;
    else
        err() << text::kSeeHelp;
    return 64;
}

int parse_options(const CommandSpec &spec, const std::vector<std::string> &args, Options *o) {
    // Help comes first: whatever else is wrong, it says how to do it right.
    for (const std::string &arg : args) {
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") {
            o->given |= kOptHelp;
            return 0;
        }
    }
    bool operands_only = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &arg = args[i];
        if (operands_only || arg.size() < 2 || arg[0] != '-') {
            o->operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            operands_only = true;
            continue;
        }
        const OptionName *name = nullptr;
        std::string value;
        bool has_value = false;
        if (arg[1] == '-') {
            const size_t equals = arg.find('=');
            name = find_long(arg.substr(2, equals == std::string::npos ? equals : equals - 2));
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
                has_value = true;
            }
        } else {
            name = find_short(arg[1]);
            if (arg.size() > 2) {
                value = arg.substr(2);
                has_value = true;
            }
        }
        if (!name) return fail(spec, text::kUnknownOption, arg);
        if (!(name->option & (spec.allowed | kOptQuiet | kOptHelp)))
            return fail(spec, text::kOptionNotHere, arg);
        if (o->has(name->option)) return fail(spec, text::kOptionTwice, arg);
        if (needs_value(*name) && !has_value) {
            if (i + 1 >= args.size()) return fail(spec, text::kOptionNeedsValue, arg);
            value = args[++i];
        } else if (!needs_value(*name) && has_value) {
            return fail(spec, text::kUnknownOption, arg);
        }
        o->given |= name->option;
        if (name->value) o->*(name->value) = value;
        if (name->option == kOptPassphraseFd && !parse_fd(value, &o->passphrase_fd))
            return fail(spec, text::kBadFd, value);
    }
    for (const OptionName &name : kOptionNames) {
        if (!(spec.required & name.option) || o->has(name.option)) continue;
        const std::string shown =
            name.letter ? std::string("-") + name.letter : std::string("--") + name.name;
        return fail(spec, text::kOptionMissing, shown);
    }
    if (__builtin_popcount(o->given & kOptAnswers) > 1) {
        err() << text::kOneAnswer;
        return usage_error(spec.name);
    }
    if (__builtin_popcount(o->given & kOptPassword) > 1) {
        err() << text::kOneSource;
        return usage_error(spec.name);
    }
    if (o->operands.size() < spec.min_operands) {
        err() << spec.missing_operand;
        return usage_error(spec.name);
    }
    if (o->operands.size() > spec.max_operands)
        return fail(spec, text::kTooManyOperands, o->operands[spec.max_operands]);
    return 0;
}
