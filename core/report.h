// How the library reports: failures (after which a call ends), notices
// (after which it goes on) and the question about an output name that
// something has already. Each report is first a value, a Record: what
// failed (a quill_failure_kind), the file concerned, the system's cause and
// the library's words. The one edge below turns it into what the caller
// asked for: the box of the desktop program (msgbox_set, or the platform's
// own), a record for a program that prints its own (report_set), or the
// callbacks of a context of quill.h.
#ifndef QUILL_REPORT_H
#define QUILL_REPORT_H

#include <string>

#include "messages.h"
#include "platform/platform.h"
#include "quillcore.h"
#include "thread_use.h"

namespace quill {

using msg::Message;

// One report as a value.
struct Record {
    quill_failure_kind kind = QUILL_FAIL_NONE;  // QUILL_FAIL_NONE: a notice
    plat::Failure cause = plat::kFailUnknown;
    std::string path;    // the file concerned
    std::string text;    // the library's words
    std::string detail;  // a name, or names one a line, that follow the words
};

// Where the reports of one context's calls go, and what they left: read and
// changed by the thread that runs the call alone.
struct Reporter {
    // The exported calls': msgbox_set's handler (null: the platform's box)
    // and report_set's (when set, failures and notices go to it instead).
    quill_msgbox_handler boxes = nullptr;
    quill_report_handler records = nullptr;
    void *records_context = nullptr;
    // A context of quill.h: its callbacks; without them, a conflict stops
    // and nothing is shown.
    bool own = false;
    quill_conflict_fn conflict = nullptr;
    void *conflict_user = nullptr;
    quill_failure_fn failure = nullptr;
    void *failure_user = nullptr;
    quill_notice_fn notice = nullptr;
    void *notice_user = nullptr;
    // The first failure of the running call (kind QUILL_FAIL_NONE: none),
    // and whether a conflict was answered with stop.
    Record first;
    bool stopped = false;
};

// The reporter of the calls on this thread: the one the exported calls
// share, unless a context of quill.h has set its own (UseReporter).
Reporter &active_reporter();

using UseReporter = ThreadUse<Reporter>;

// A failure at path: m's words, then detail and the cause on lines of
// their own.
void fail(const std::string &path, const Message &m, plat::Failure why = plat::kFailUnknown,
          const std::string &detail = std::string());
// A notice about path; the call goes on.
void note(const std::string &path, const Message &m, const std::string &detail = std::string());
// The question about the output name path that something has: QUILL_IDYES
// overwrite ("上書き"), QUILL_IDNO another name ("別名保存"), anything else
// stop ("処理中止").
int ask(const std::string &path, const char *question);

// The cause of a failure in the user's words; null when the system gave
// none the user could act on.
const char *cause_text(plat::Failure why);
// The cause as a program of its own reads it.
quill_cause cause_of(plat::Failure why);
// The record as a box shows it: the words, the detail, the cause.
std::string box_text(const Record &r);

}  // namespace quill

#endif
