// An ordered ring: a fixed number of slots that the owner hands to workers
// (workers.h) one after another and takes back in the same order.
//
// The rule of the hand-off: the owner fills a slot and gives it; from then
// until the owner takes it back, the slot belongs to its task alone and the
// owner touches nothing of it. take() waits for the oldest slot given, so
// results come back in the order the slots were given, whatever the number
// of threads and whichever task ends first. The owner gives a slot only
// when one is free (not full()): at most size() tasks are in flight, and
// the memory of the work is the slots', however long it is. Only the
// workers' owner gives and takes.
#ifndef QUILL_RING_H
#define QUILL_RING_H

#include <cstddef>

#include "engine/workers.h"
#include "platform/platform.h"

namespace quill {

class OrderedRing {
  public:
    OrderedRing(Workers &workers, size_t slots, Workers::Task task);
    // Waits for every slot still given.
    ~OrderedRing();
    OrderedRing(const OrderedRing &) = delete;
    OrderedRing &operator=(const OrderedRing &) = delete;
    // False when its semaphores cannot be had; it is then unusable.
    bool usable() const { return usable_; }
    size_t size() const { return count_; }
    // The slot the next give() hands over, a number below size().
    size_t next() const { return given_ % count_; }
    bool full() const { return given_ - taken_ == count_; }
    bool empty() const { return given_ == taken_; }
    // Gives slot next(), whose data arg is, to the task.
    void give(void *arg);
    // The oldest slot given, once its task has run.
    size_t take();

  private:
    Workers &workers_;
    Workers::Task task_;
    plat::Semaphore **done_ = nullptr;
    size_t count_;
    size_t given_ = 0, taken_ = 0;
    bool usable_ = true;
};

}  // namespace quill

#endif
