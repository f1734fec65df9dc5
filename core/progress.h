// Progress of the running exported call, for the caller's callback
// (progress_set). A call that moves data opens a scope with the bytes it
// expects to move and advances it as bytes pass; scopes nest, so a call made
// inside another (the signature check inside a decryption) adds to the
// outer call's progress instead of starting its own. Without a callback
// nothing is reported and nothing costs more than an addition.
#ifndef QUILL_PROGRESS_H
#define QUILL_PROGRESS_H

#include <cstdint>

namespace quill::progress {

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
