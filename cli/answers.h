// The library's reports on the terminal: each failure and notice printed
// from its record on standard error, one line (the file, what, why; a list
// follows one item a line), and its question about an existing output name
// answered by a flag, asked on the terminal, or, with neither, answered
// "処理中止" so that nothing is overwritten unasked.
#ifndef QUILLSEAL_ANSWERS_H
#define QUILLSEAL_ANSWERS_H

#include <string>

#include "options.h"

// What happened at the name questions since the handler was installed.
struct Conflicts {
    bool stopped = false;    // answered "処理中止"
    bool unasked = false;    // ... because nobody could be asked
    std::string stopped_at;  // the existing file or folder it was asked about
    bool failed = false;     // the library reported a failure, and why
};

// Routes the library's reports and questions here (report_set,
// msgbox_set), with the answer that the options give, and forgets earlier
// questions.
void install_answers(const Options &o);
const Conflicts &conflicts();
void forget_conflicts();

// Asks a question of yes or no on the terminal (the caller has shown it);
// true for "y" or "yes".
bool ask_yes();

#endif
