// The library's reports in the language chosen: in Japanese as the library
// words them; in English as texts.h translates them, looked up by the
// library's own words (its records name the failure's kind, but most kinds
// come with several texts, and the words themselves are what a reader sees).
#ifndef QUILLSEAL_LIBRARY_WORDS_H
#define QUILLSEAL_LIBRARY_WORDS_H

#include <string>

#include "quillcore.h"

// A record's words: its text, its detail and its cause.
struct Words {
    std::string text, detail, cause;
};
Words words_of(const quill_report &r);

// One text of the library: a question about an existing name.
std::string library_words(const char *japanese);

#endif
