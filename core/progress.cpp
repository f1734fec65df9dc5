// The one progress state of the library: callback, the outermost call's
// total and what has passed, and the point last reported, so that the
// callback runs at most once every 64 KiB and once at the end.
#include "progress.h"

#include "quillcore.h"

namespace {

constexpr uint64_t kReportEvery = 64 * 1024;

quill_progress_handler handler = nullptr;
void *context = nullptr;
int depth = 0;
uint64_t total_bytes = 0;
uint64_t done_bytes = 0;
uint64_t reported = 0;

}  // namespace

void progress_set(quill_progress_handler h, void *ctx) {
    handler = h;
    context = ctx;
}

namespace quill::progress {

Scope::Scope(uint64_t total) {
    if (depth++ != 0) return;
    total_bytes = total;
    done_bytes = 0;
    reported = 0;
}

Scope::~Scope() {
    if (--depth != 0) return;
    // The call has ended: whatever the estimate, all of it is done.
    if (handler) handler(context, total_bytes, total_bytes);
}

void advance(uint64_t bytes) {
    if (depth == 0) return;
    done_bytes += bytes;
    if (done_bytes > total_bytes) total_bytes = done_bytes;
    if (handler && done_bytes - reported >= kReportEvery) {
        reported = done_bytes;
        handler(context, done_bytes, total_bytes);
    }
}

void set_total(uint64_t total) {
    if (depth != 0) total_bytes = total < done_bytes ? done_bytes : total;
}

uint64_t done() {
    return done_bytes;
}

}  // namespace quill::progress
