// Progress of the running call: through the state of the call's context,
// so that the callback runs at most once every 64 KiB and once at the end.
#include "progress.h"

namespace {

constexpr uint64_t kReportEvery = 64 * 1024;

// The state the exported calls share.
quill::progress::State shared;

// The state the calls on this thread report to.
quill::progress::State &active() {
    return quill::progress::Use::active(shared);
}

}  // namespace

void progress_set(quill_progress_handler h, void *ctx) {
    shared.handler = h;
    shared.context = ctx;
}

namespace quill::progress {

Scope::Scope(uint64_t total) {
    State &s = active();
    if (s.depth++ != 0) return;
    s.total = total;
    s.done = 0;
    s.reported = 0;
}

Scope::~Scope() {
    State &s = active();
    if (--s.depth != 0) return;
    // The call has ended: whatever the estimate, all of it is done.
    if (s.handler) s.handler(s.context, s.total, s.total);
}

void advance(uint64_t bytes) {
    State &s = active();
    if (s.depth == 0) return;
    s.done += bytes;
    if (s.done > s.total) s.total = s.done;
    if (s.handler && s.done - s.reported >= kReportEvery) {
        s.reported = s.done;
        s.handler(s.context, s.done, s.total);
    }
}

void set_total(uint64_t total) {
    State &s = active();
    if (s.depth != 0) s.total = total < s.done ? s.done : total;
}

uint64_t done() {
    return active().done;
}

}  // namespace quill::progress
