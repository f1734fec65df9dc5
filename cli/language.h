// The language of quillseal's texts: Japanese, the words of the desktop
// program, or English for people who do not read Japanese. It is chosen once,
// before the first line is shown, and every text of texts.h reads in it.
#ifndef QUILLSEAL_LANGUAGE_H
#define QUILLSEAL_LANGUAGE_H

namespace text {

// QUILLSEAL_LANG=ja or en decides; any other value, or none, leaves it to
// the user's locale (sys::japanese_user): Japanese where it is Japanese,
// English elsewhere.
void choose_language();
bool english();

// One text in both languages; it reads as the one chosen.
struct Phrase {
    const char *ja;
    const char *en;
    operator const char *() const { return english() ? en : ja; }
};

}  // namespace text

#endif
