// quillseal: encrypts, decrypts and checks archives from the command line,
// on top of the library's exported functions alone.
#include <cstring>
#include <string>
#include <vector>

#include "answers.h"
#include "commands.h"
#include "options.h"
#include "output.h"
#include "progress_bar.h"
#include "quill_version.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

struct Command {
    CommandSpec spec;
    int (*run)(const Options &);
    text::Phrase help;
    text::Phrase example;
    unsigned help_parts;  // which shared option texts its help shows
};

constexpr size_t kAny = ~size_t(0);

const Command kCommands[] = {
    {{"keygen", kOptOutDir | kOptOverwrite | kOptPassword, 0, 1, 1, text::kEnterUserId},
     run_keygen,
     text::kKeygenHelp,
     text::kKeygenExample,
     kOptPassword},
    {{"encrypt",
      kOptSecretKey | kOptRecipient | kOptOutput | kOptName | kOptNoCompress | kOptAnswers |
          kOptPassword,
      kOptSecretKey | kOptRecipient, 1, kAny, text::kOperandMissing},
     run_encrypt,
     text::kEncryptHelp,
     text::kEncryptExample,
     kOptPassword | kOptAnswers},
    {{"decrypt",
      kOptSecretKey | kOptSender | kOptDirectory | kOptOutput | kOptIgnoreSignature | kOptAnswers |
          kOptPassword,
      kOptSecretKey | kOptSender, 1, kAny, text::kOperandMissing},
     run_decrypt,
     text::kDecryptHelp,
     text::kDecryptExample,
     kOptPassword | kOptAnswers},
    {{"list", kOptSecretKey | kOptSender | kOptIgnoreSignature | kOptPassword,
      kOptSecretKey | kOptSender, 1, kAny, text::kOperandMissing},
     run_list,
     text::kListHelp,
     text::kListExample,
     kOptPassword},
    {{"verify", kOptSender, kOptSender, 1, kAny, text::kOperandMissing},
     run_verify,
     text::kVerifyHelp,
     text::kVerifyExample,
     0},
    {{"sha256", 0, 0, 1, kAny, text::kOperandMissing},
     run_sha256,
     text::kSha256Help,
     text::kSha256Example,
     0},
    {{"fingerprint", 0, 0, 1, kAny, text::kOperandMissing},
     run_fingerprint,
     text::kFingerprintHelp,
     text::kFingerprintExample,
     0},
    {{"password-from", 0, 0, 1, 1, text::kOperandMissing},
     run_password_from,
     text::kPasswordFromHelp,
     text::kPasswordFromExample,
     0},
    {{"list-keys", 0, 0, 0, 0, text::kOperandMissing},
     run_list_keys,
     text::kListKeysHelp,
     text::kListKeysExample,
     0},
    {{"import", kOptAs | kOptOverwrite | kOptSkip, 0, 1, 1, text::kOperandMissing},
     run_import,
     text::kImportHelp,
     text::kImportExample,
     0},
    {{"export", kOptOutput | kOptAnswers, 0, 0, 1, text::kOperandMissing},
     run_export,
     text::kExportHelp,
     text::kExportExample,
     kOptAnswers},
};

int show_help(const Command &c) {
    Line page(sys::kOut, false);
    page << c.help;
    if (c.help_parts & kOptPassword) page << text::kPasswordOptions << "\n";
    if (c.help_parts & kOptAnswers) page << text::kAnswerOptions << "\n";
    page << text::kCommonOptions << c.example;
    return kExitOk;
}

int show_version() {
    out() << "quillseal " << QUILL_VERSION;
    return kExitOk;
}

int run(const std::vector<std::string> &args) {
    if (args.empty()) {
        Line(sys::kErr, false) << text::kHelp;
        return kExitUsage;
    }
    const std::string &first = args[0];
    if (first == "help" || (first.size() > 1 && first[0] == '-')) {
        const unsigned option = first == "help" ? kOptHelp : program_option(first);
        if (option == kOptVersion) return show_version();
        if (option != kOptHelp) return usage_error(nullptr);
        Line(sys::kOut, false) << text::kHelp;
        return kExitOk;
    }
    for (const Command &c : kCommands) {
        if (first != c.spec.name) continue;
        Options o;
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (const int status = parse_options(c.spec, rest, &o)) return status;
        if (o.has(kOptHelp)) return show_help(c);
        if (o.has(kOptVersion)) return show_version();
        enable_progress(!o.has(kOptQuiet) && sys::is_terminal(sys::kErr));
        // Every box of the library comes here, never as a window of its own.
        install_answers(o);
        return c.run(o);
    }
    err() << text::kUnknownCommand << Native{first};
    return usage_error(nullptr);
}

}  // namespace

int main(int argc, char **argv) {
    // An interrupted encryption or decryption leaves no partial archive and
    // no restored file that is not in place, and nothing of the run's own
    // folder.
    sys::on_interrupt(ichiji_sakujo);
    text::choose_language();
    std::vector<std::string> args;
    size_t bad = 0;
    if (!sys::arguments(argc, argv, &args, &bad)) {
        err() << text::kBadArgument1 << std::to_string(bad) << text::kBadArgument2;
        return kExitUsage;
    }
    const int status = run(args);
    sys::remove_scratch();
    return status;
}
