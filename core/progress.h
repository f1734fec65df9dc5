// Progress of the running exported call, for the caller's callback
// (progress_set). A call that moves data opens a scope with the bytes it
// expects to move and advances it as bytes pass; scopes nest, so a call made
// inside another (the signature check inside a decryption) adds to the
// outer call's progress instead of starting its own. Without a callback
// nothing is reported and nothing costs more than an addition.
#ifndef QUILL_PROGRESS_H
#define QUILL_PROGRESS_H

#include <cstdint>

#include "quillcore.h"
#include "thread_use.h"

namespace quill::progress {

// The progress of one context's calls: its callback, and of the outermost
// call running, the bytes expected, the bytes passed and the point last
// reported. Read and changed on the thread that runs the call alone.
struct State {
    quill_progress_handler handler = nullptr;
    void *context = nullptr;
    int depth = 0;
    uint64_t total = 0;
    uint64_t done = 0;
    uint64_t reported = 0;
};

// For its lifetime, the calls on this thread report to s; without one they
// report to the state progress_set sets, which the exported calls share.
using Use = ThreadUse<State>;

class Scope {
  public:
    explicit Scope(uint64_t total);
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

// bytes more have passed.
void advance(uint64_t bytes);
// The outermost call now expects total bytes in all (an estimate made good).
void set_total(uint64_t total);
// Bytes passed so far in the outermost call.
uint64_t done();

}  // namespace quill::progress

#endif
