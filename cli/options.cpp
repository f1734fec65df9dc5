// The options as getopt_long takes them, written once so that the program
// reads its command line the same way on Linux and on Windows.
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
    {'o', "output", kOptOutput, &Options::output},
    {0, "name", kOptName, &Options::name},
    {0, "as", kOptAs, &Options::as},
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
    {'V', "version", kOptVersion, nullptr},
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

// The option a long name names: the one of that name, else the one option
// among those in the set whose name begins with it. *others lists every
// option it could be when there are several.
const OptionName *find_long(const std::string &typed, unsigned among, std::string *others) {
    others->clear();
    if (typed.empty()) return nullptr;
    for (const OptionName &o : kOptionNames)
        if (typed == o.name) return &o;
    const OptionName *found = nullptr;
    std::string candidates;
    for (const OptionName &o : kOptionNames) {
        if (!(o.option & among) || std::strncmp(o.name, typed.c_str(), typed.size()) != 0) continue;
        candidates += std::string(found ? " " : "") + "--" + o.name;
        if (found) *others = candidates;
        found = &o;
    }
    return others->empty() ? found : nullptr;
}

const OptionName *find_short(char letter) {
    for (const OptionName &o : kOptionNames)
        if (o.letter != 0 && o.letter == letter) return &o;
    return nullptr;
}

bool needs_value(const OptionName &o) {
    return o.value != nullptr || o.option == kOptPassphraseFd;
}

// -h or -V anywhere before "--", bundled or by a prefix too: the help, or
// else the version.
unsigned asked_for(const std::vector<std::string> &args, unsigned allowed) {
    unsigned asked = 0;
    for (const std::string &arg : args) {
        if (arg == "--") break;
        if (arg.size() < 2 || arg[0] != '-') continue;
        if (arg[1] == '-') {
            std::string others;
            const OptionName *o = find_long(arg.substr(2, arg.find('=') - 2), allowed, &others);
            if (o) asked |= o->option & (kOptHelp | kOptVersion);
            continue;
        }
        for (size_t j = 1; j < arg.size(); j++) {
            const OptionName *o = find_short(arg[j]);
            if (!o || needs_value(*o)) break;
            asked |= o->option & (kOptHelp | kOptVersion);
        }
    }
    return asked & kOptHelp ? kOptHelp : asked;
}

// The long option arg ("--" and its name, up to "="), or 64 after saying
// why it is none the command takes.
int long_option(const CommandSpec &spec, const std::string &arg, const OptionName **name) {
    const std::string typed = arg.substr(2, arg.find('=') - 2);
    const std::string shown = "--" + typed;
    std::string others;
    *name = find_long(typed, spec.allowed | kOptCommon, &others);
    if (*name) return 0;
    if (!others.empty()) return fail(spec, text::kAmbiguousOption, shown + " (" + others + ")");
    // An option, or a prefix of one, that other commands take.
    if (const OptionName *elsewhere = find_long(typed, ~0u, &others))
        return fail(spec, text::kOptionNotHere, std::string("--") + elsewhere->name);
    return fail(spec, text::kUnknownOption, shown);
}

// Takes one option with its value.
int take(const CommandSpec &spec, const OptionName &name, const std::string &value,
         const std::string &shown, Options *o) {
    if (!(name.option & (spec.allowed | kOptCommon)))
        return fail(spec, text::kOptionNotHere, shown);
    if (o->has(name.option)) return fail(spec, text::kOptionTwice, shown);
    o->given |= name.option;
    if (name.value) o->*(name.value) = value;
    if (name.option == kOptPassphraseFd && !parse_fd(value, &o->passphrase_fd))
        return fail(spec, text::kBadFd, value);
    return 0;
}

}  // namespace

int usage_error(const char *command) {
    if (command)
        err() << text::kSeeCommandHelp1 << command << text::kSeeCommandHelp2;
    else
        err() << text::kSeeHelp;
    return 64;
}

unsigned program_option(const std::string &arg) {
    if (arg == "-h") return kOptHelp;
    if (arg == "-V") return kOptVersion;
    std::string others;
    const OptionName *o = arg.compare(0, 2, "--") == 0 && arg.find('=') == std::string::npos
                              ? find_long(arg.substr(2), kOptHelp | kOptVersion, &others)
                              : nullptr;
    if (o && (o->option & (kOptHelp | kOptVersion))) return o->option;
    err() << text::kUnknownOption << Native{arg};
    return 0;
}

int parse_options(const CommandSpec &spec, const std::vector<std::string> &args, Options *o) {
    // Help and the version come first: whatever else is wrong, they answer.
    if (const unsigned asked = asked_for(args, spec.allowed | kOptCommon)) {
        o->given = asked;
        return 0;
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
        if (arg[1] == '-') {
            const OptionName *name = nullptr;
            if (const int status = long_option(spec, arg, &name)) return status;
            const std::string shown = std::string("--") + name->name;
            const size_t equals = arg.find('=');
            std::string value;
            if (equals != std::string::npos) {
                if (!needs_value(*name)) return fail(spec, text::kOptionTakesNoValue, shown);
                value = arg.substr(equals + 1);
            } else if (needs_value(*name)) {
                if (i + 1 >= args.size()) return fail(spec, text::kOptionNeedsValue, shown);
                value = args[++i];
            }
            if (const int status = take(spec, *name, value, shown, o)) return status;
            continue;
        }
        // Letters: each a flag, up to one that takes a value, which is the
        // rest of the word or else the next argument.
        for (size_t j = 1; j < arg.size(); j++) {
            const OptionName *name = find_short(arg[j]);
            const std::string shown = std::string("-") + arg[j];
            if (!name) return fail(spec, text::kUnknownOption, shown);
            std::string value;
            const bool valued = needs_value(*name);
            if (valued) {
                value = arg.substr(j + 1);
                if (value.empty()) {
                    if (i + 1 >= args.size()) return fail(spec, text::kOptionNeedsValue, shown);
                    value = args[++i];
                }
            }
            if (const int status = take(spec, *name, value, shown, o)) return status;
            if (valued) break;
        }
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
