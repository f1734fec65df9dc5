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
};

// The sets of options that belong together.
constexpr unsigned kOptAnswers = kOptOverwrite | kOptRename | kOptSkip;
constexpr unsigned kOptPassword = kOptPassphraseFile | kOptPassphraseFd | kOptPassphraseFrom;

struct Options {
    unsigned given = 0;
    std::string secret_key, recipient, sender, out_dir, directory, passphrase_file, passphrase_from;
    int passphrase_fd = -1;
    std::vector<std::string> operands;

    bool has(unsigned option) const { return (given & option) != 0; }
};

// What one command takes.
struct CommandSpec {
    const char *name;
    unsigned allowed;   // options besides -q and -h
    unsigned required;  // options that must be given
    size_t min_operands;
    size_t max_operands;
    text::Phrase missing_operand;  // the text when there are too few
};

// Parses args (the words after the command's name). 0, or 64 after saying
// what is wrong.
int parse_options(const CommandSpec &spec, const std::vector<std::string> &args, Options *o);

// Says how to reach the command's help; returns 64, the status of a usage
// error.
int usage_error(const char *command);

#endif
