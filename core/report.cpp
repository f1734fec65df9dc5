// The one edge where reports become boxes, records or callbacks.
#include "report.h"

#include <new>

#include "platform/platform.h"

namespace {

// The reporter the exported calls share.
quill::Reporter shared;

}  // namespace

quill_cause quill::cause_of(quill::plat::Failure why) {
    using namespace quill::plat;
    switch (why) {
        case kFailNoSpace:
            return QUILL_CAUSE_NO_SPACE;
        case kFailTooLarge:
            return QUILL_CAUSE_TOO_LARGE;
        case kFailReadOnly:
            return QUILL_CAUSE_READ_ONLY;
        case kFailDenied:
            return QUILL_CAUSE_DENIED;
        case kFailInUse:
            return QUILL_CAUSE_IN_USE;
        case kFailMissing:
            return QUILL_CAUSE_MISSING;
        case kFailExists:
            return QUILL_CAUSE_EXISTS;
        case kFailNotFile:
            return QUILL_CAUSE_NOT_FILE;
        case kFailIO:
            return QUILL_CAUSE_IO;
        case kFailUnknown:
            break;
    }
    return QUILL_CAUSE_UNKNOWN;
}

std::string quill::box_text(const quill::Record &r) {
    std::string text = r.text;
    if (!r.detail.empty()) text += "\n" + r.detail;
    if (const char *cause = quill::cause_text(r.cause)) text += std::string("\n") + cause;
    return text;
}

namespace {

int show(const char *text, const char *caption, unsigned type) {
    const quill::Reporter &to = quill::active_reporter();
    if (to.boxes) return to.boxes(nullptr, text, caption, type);
    return quill::plat::message_box(text, caption, type);
}

// Hands the record on as the caller asked.
void deliver(const quill::Record &r, const quill::Message &m) {
    quill::Reporter &to = quill::active_reporter();
    if (to.own) {
        // A program of its own reads UTF-8.
        const std::string path = quill::plat::utf8_text(r.path);
        const std::string text = quill::plat::utf8_text(quill::box_text(r));
        if (r.kind == QUILL_FAIL_NONE) {
            if (to.notice) to.notice(to.notice_user, path.c_str(), text.c_str());
        } else if (to.failure) {
            const quill_failure f{r.kind, quill::cause_of(r.cause), path.c_str(), text.c_str()};
            to.failure(to.failure_user, &f);
        }
        return;
    }
    if (to.records) {
        const char *cause = quill::cause_text(r.cause);
        const quill_report q{int32_t(r.kind), int32_t(quill::cause_of(r.cause)), r.path.c_str(),
                             r.text.c_str(),  r.detail.c_str(),           cause ? cause : ""};
        to.records(to.records_context, &q);
        return;
    }
    show(quill::box_text(r).c_str(), m.caption ? m.caption : r.path.c_str(),
         m.plain ? QUILL_MB_OK : QUILL_MB_OK | QUILL_MB_ICONEXCLAMATION);
}

void report(const std::string &path, const quill::Message &m, quill::plat::Failure why,
            const std::string &detail) {
    try {
        const quill::Record r{m.kind, why, path, m.text, detail};
        quill::Reporter &to = quill::active_reporter();
        if (r.kind != QUILL_FAIL_NONE && to.first.kind == QUILL_FAIL_NONE) to.first = r;
        deliver(r, m);
    } catch (const std::bad_alloc &) {
        // Without memory for the record, the words alone, as a box.
        show(m.text, m.caption ? m.caption : path.c_str(), QUILL_MB_OK | QUILL_MB_ICONEXCLAMATION);
    }
}

}  // namespace

void msgbox_set(quill_msgbox_handler h) {
    shared.boxes = h;
}

void report_set(quill_report_handler h, void *context) {
    shared.records = h;
    shared.records_context = context;
}

namespace quill {

Reporter &active_reporter() {
    return UseReporter::active(shared);
}

void fail(const std::string &path, const Message &m, plat::Failure why, const std::string &detail) {
    report(path, m, why, detail);
}

void note(const std::string &path, const Message &m, const std::string &detail) {
    report(path, m, plat::kFailUnknown, detail);
}

int ask(const std::string &path, const char *question) {
    Reporter &to = active_reporter();
    if (!to.own) return show(question, path.c_str(), QUILL_MB_YESNOCANCEL);
    const quill_answer answer =
        to.conflict ? to.conflict(to.conflict_user, plat::utf8_text(path).c_str()) : QUILL_STOP;
    if (answer == QUILL_OVERWRITE) return QUILL_IDYES;
    if (answer == QUILL_RENAME) return QUILL_IDNO;
    to.stopped = true;
    return QUILL_IDCANCEL;
}

const char *cause_text(plat::Failure why) {
    switch (why) {
        case plat::kFailNoSpace:
            return msg::kCauseNoSpace;
        case plat::kFailTooLarge:
            return msg::kCauseTooLarge;
        case plat::kFailReadOnly:
            return msg::kCauseReadOnly;
        case plat::kFailDenied:
            return msg::kCauseDenied;
        case plat::kFailInUse:
            return msg::kCauseInUse;
        case plat::kFailMissing:
            return msg::kCauseMissing;
        case plat::kFailExists:
            return msg::kCauseExists;
        case plat::kFailNotFile:
            return msg::kCauseNotFile;
        case plat::kFailIO:
            return msg::kCauseIO;
        case plat::kFailUnknown:
            break;
    }
    return nullptr;
}

}  // namespace quill
