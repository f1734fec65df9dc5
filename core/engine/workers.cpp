// Threads that run tasks from one queue.
#include "engine/workers.h"

#include <new>

namespace quill {

Workers::Workers(size_t threads) {
    free_ = plat::semaphore_new(unsigned(kQueue));
    filled_ = plat::semaphore_new(0);
    taking_ = plat::semaphore_new(1);
    finished_ = plat::semaphore_new(0);
    if (threads == 0 || !free_ || !filled_ || !taking_ || !finished_) return;
    threads_ = new (std::nothrow) Thread[threads];
    if (!threads_) return;
    // As many as start; the tasks are shared among those.
    while (count_ < threads) {
        Thread &t = threads_[count_];
        t = {this, count_, nullptr};
        if (!(t.thread = plat::thread_start(loop, &t))) break;
        count_++;
    }
}

Workers::~Workers() {
    // One end of the queue for every thread: each takes one and stops.
    for (size_t i = 0; i < count_; i++) submit(nullptr, nullptr, nullptr);
    for (size_t i = 0; i < count_; i++) plat::thread_join(threads_[i].thread);
    delete[] threads_;
    plat::semaphore_free(free_);
    plat::semaphore_free(filled_);
    plat::semaphore_free(taking_);
    plat::semaphore_free(finished_);
}

void Workers::loop(void *self) {
    const Thread &t = *static_cast<Thread *>(self);
    Workers &w = *t.owner;
    for (;;) {
        plat::semaphore_wait(w.filled_);
        plat::semaphore_wait(w.taking_);
        const Job job = w.queue_[w.tail_];
        w.tail_ = (w.tail_ + 1) % kQueue;
        plat::semaphore_post(w.taking_);
        plat::semaphore_post(w.free_);
        if (!job.run) return;
        job.run(job.arg, t.number);
        if (job.done) plat::semaphore_post(job.done);
        plat::semaphore_post(w.finished_);
    }
}

void Workers::submit(Task task, void *arg, plat::Semaphore *done) {
    if (count_ == 0) {
        // No threads: the task runs now, which keeps the order.
        if (task) task(arg, 0);
        if (done) plat::semaphore_post(done);
        return;
    }
    plat::semaphore_wait(free_);
    queue_[head_] = {task, arg, done};
    head_ = (head_ + 1) % kQueue;
    if (task) given_++;
    plat::semaphore_post(filled_);
}

void Workers::drain() {
    for (; given_ != 0; given_--) plat::semaphore_wait(finished_);
}

}  // namespace quill
