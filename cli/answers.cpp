// The library's reports, printed from their records in the language chosen,
// and its question, answered as it is answered in the desktop program:
// "上書き" IDYES, "別名保存" IDNO, "処理中止" IDCANCEL.
#include "answers.h"

#include "library_words.h"
#include "output.h"
#include "progress_bar.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

enum Answer { kAsk, kOverwrite, kRename, kStop };

Answer preset = kAsk;
Conflicts seen;

int ask(const char *question, const std::string &path) {
    err() << question << "\n  " << Native{path};
    for (;;) {
        char line[16];
        switch (sys::read_terminal_line(text::kChoices, line, sizeof line, true)) {
            case sys::kLineOk:
                break;
            case sys::kLineTooLong:
                err() << text::kChooseAgain;
                continue;
            default:
                return QUILL_IDCANCEL;
        }
        const std::string answer = line;
        if (answer == "1") return QUILL_IDYES;
        if (answer == "2") return QUILL_IDNO;
        if (answer == "3") return QUILL_IDCANCEL;
        err() << text::kChooseAgain;
    }
}

// "What failed: why" reads as one sentence: the closing full stop of what
// failed goes where more follows.
void go_on(std::string &line, const std::string &more) {
    for (const std::string stop : {"\u3002", "."}) {
        if (line.size() > stop.size() &&
            line.compare(line.size() - stop.size(), stop.size(), stop) == 0) {
            line.resize(line.size() - stop.size());
            break;
        }
    }
    line += ": " + more;
}

// One line: the file, what, why. A detail of one line (a name) follows on
// it; a list of several (the items an encryption cannot hold), one a line
// below it.
void on_report(void *, const quill_report *r) {
    interrupt_progress();
    if (r->kind != 0) seen.failed = true;
    const Words words = words_of(*r);
    const bool list = words.detail.find('\n') != std::string::npos;
    std::string line = words.text;
    if (!words.detail.empty() && !list) go_on(line, words.detail);
    if (!words.cause.empty()) go_on(line, words.cause);
    err() << Native{r->path} << ": " << line;
    if (list) err() << words.detail;
}

// The question about an existing name: every other box comes as a record.
int on_box(void *, const char *body, const char *caption, unsigned) {
    interrupt_progress();
    int answer = QUILL_IDCANCEL;
    switch (preset) {
        case kOverwrite:
            answer = QUILL_IDYES;
            break;
        case kRename:
            answer = QUILL_IDNO;
            break;
        case kStop:
            break;
        case kAsk:
            if (sys::can_ask())
                answer = ask(library_words(body).c_str(), caption);
            else
                seen.unasked = true;
            break;
    }
    if (answer == QUILL_IDCANCEL) {
        seen.stopped = true;
        seen.stopped_at = caption;  // the question's caption is the name in the way
    }
    return answer;
}

}  // namespace

void install_answers(const Options &o) {
    preset = o.has(kOptOverwrite) ? kOverwrite
             : o.has(kOptRename)  ? kRename
             : o.has(kOptSkip)    ? kStop
                                  : kAsk;
    forget_conflicts();
    msgbox_set(on_box);
    report_set(on_report, nullptr);
}

const Conflicts &conflicts() {
    return seen;
}

void forget_conflicts() {
    seen = Conflicts{};
}

bool ask_yes() {
    char line[16];
    if (sys::read_terminal_line(text::kYesNo, line, sizeof line, true) != sys::kLineOk)
        return false;
    const std::string answer = line;
    return answer == "y" || answer == "Y" || answer == "yes";
}
