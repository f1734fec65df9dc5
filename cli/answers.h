// The library's message boxes on the terminal: its messages on standard
// error, and its question about an existing output name answered by a flag,
// asked on the terminal, or, with neither, answered "処理中止" so that
// nothing is overwritten unasked.
#ifndef QUILLSEAL_ANSWERS_H
#define QUILLSEAL_ANSWERS_H

#include <string>

#include "options.h"

// What happened at the name questions since the handler was installed.
struct Conflicts {
    bool stopped = false;    // answered "処理中止"
    bool unasked = false;    // ... because nobody could be asked
    std::string stopped_at;  // the existing file or folder it was asked about
};

// Routes the library's boxes here (msgbox_set), with the answer that the
// options give, and forgets earlier questions.
void install_answers(const Options &o);
const Conflicts &conflicts();
void forget_conflicts();

#endif
