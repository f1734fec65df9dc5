// The command line of one command: its options and operands, checked against
// what the command takes.
#ifndef QUILLSEAL_OPTIONS_H
#define QUILLSEAL_OPTIONS_H

#include <cstddef>
#include <string>
#include <vector>

#include "language.h"

// One bit per option.
enum Option : unsigned {
    kOptSecretKey = 1u << 0,
    kOptRecipient = 1u << 1,
    kOptSender = 1u << 2,
    kOptNoCompress = 1u << 3,
    kOptOutDir = 1u << 4,
    kOptDirectory = 1u << 5,
    kOptIgnoreSignature = 1u << 6,
    kOptOverwrite = 1u << 7,
    kOptRename = 1u << 8,
    kOptSkip = 1u << 9,
    kOptPassphraseFile = 1u << 10,
    kOptPassphraseFd = 1u << 11,
    kOptPassphraseFrom = 1u << 12,
    kOptQuiet = 1u << 13,
    kOptHelp = 1u << 14,
    kOptVersion = 1u << 15,
    kOptOutput = 1u << 16,
    kOptName = 1u << 17,
    kOptAs = 1u << 18,
};

// What every command takes besides its own.
constexpr unsigned kOptCommon = kOptQuiet | kOptHelp | kOptVersion;

// The sets of options that belong together.
constexpr unsigned kOptAnswers = kOptOverwrite | kOptRename | kOptSkip;
constexpr unsigned kOptPassword = kOptPassphraseFile | kOptPassphraseFd | kOptPassphraseFrom;

struct Options {
    unsigned given = 0;
    std::string secret_key, recipient, sender, out_dir, directory, passphrase_file, passphrase_from,
        output, name, as;
    int passphrase_fd = -1;
    std::vector<std::string> operands;

    bool has(unsigned option) const { return (given & option) != 0; }
};

// What one command takes.
struct CommandSpec {
    const char *name;
    unsigned allowed;   // options besides kOptCommon
    unsigned required;  // options that must be given
    size_t min_operands;
    size_t max_operands;
    text::Phrase missing_operand;  // the text when there are too few
};

// Parses args (the words after the command's name) as getopt_long does on
// every system: options before, between or after the operands; short ones
// bundled ("-qk alice", "-kalice"); long ones as "--name value" or
// "--name=value", or by any prefix that only one of them has; "--" before
// operands that begin with "-"; "-" alone is an operand. With -h or -V
// anywhere only that flag is set. 0, or 64 after saying what is wrong.
int parse_options(const CommandSpec &spec, const std::vector<std::string> &args, Options *o);

// The program's own options before a command: only -h/--help and
// -V/--version. kOptHelp or kOptVersion; 0 after saying that arg is none
// of them.
unsigned program_option(const std::string &arg);

// Says how to reach the command's help; returns 64, the status of a usage
// error.
int usage_error(const char *command);

#endif
