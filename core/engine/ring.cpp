// The ordered ring of work.
#include "engine/ring.h"

#include <new>

namespace quill {

OrderedRing::OrderedRing(Workers &workers, size_t slots, Workers::Task task)
    : workers_(workers), task_(task), count_(slots) {
    done_ = new (std::nothrow) plat::Semaphore *[slots]();
    usable_ = done_ != nullptr;
    for (size_t i = 0; usable_ && i < slots; i++)
        usable_ = (done_[i] = plat::semaphore_new(0)) != nullptr;
}

OrderedRing::~OrderedRing() {
    if (usable_)
        while (!empty()) take();
    if (!done_) return;
    for (size_t i = 0; i < count_; i++) plat::semaphore_free(done_[i]);
    delete[] done_;
}

void OrderedRing::give(void *arg) {
    workers_.submit(task_, arg, done_[next()]);
    given_++;
}

size_t OrderedRing::take() {
    const size_t slot = taken_ % count_;
    plat::semaphore_wait(done_[slot]);
    taken_++;
    return slot;
}

}  // namespace quill
