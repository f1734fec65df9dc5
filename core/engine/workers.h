// Threads beside the caller's that run tasks from one queue.
//
// Only the thread that made the workers gives them tasks. Tasks start in
// the order given. With one thread they also end in that order, which the
// block stream's helper relies on (pipeline.h); with several they run side
// by side and end in any order, and a caller that needs their results in
// order takes them back through an ordered ring (ring.h). Without threads
// (none asked for, or none could be started) every task runs at once on
// the giver's thread, which keeps the order and the results.
#ifndef QUILL_WORKERS_H
#define QUILL_WORKERS_H

#include <cstddef>

#include "platform/platform.h"

namespace quill {

class Workers {
  public:
    // A task: run(arg, worker), worker the number of the thread that runs it
    // (0 up to threads() - 1), or threads() on the giver's own thread.
    using Task = void (*)(void *arg, size_t worker);

    explicit Workers(size_t threads);
    ~Workers();
    Workers(const Workers &) = delete;
    Workers &operator=(const Workers &) = delete;
    size_t threads() const { return count_; }
    // Runs task(arg) on a free thread, after every task given before it has
    // started; posts done (when not null) once it has run.
    void submit(Task task, void *arg, plat::Semaphore *done);
    // Returns when every task given so far has run.
    void drain();

  private:
    static void loop(void *self);
    struct Job {
        Task run;
        void *arg;
        plat::Semaphore *done;
    };
    struct Thread {
        Workers *owner;
        size_t number;
        plat::Thread *thread;
    };
    static constexpr size_t kQueue = 64;
    Job queue_[kQueue] = {};
    size_t head_ = 0, tail_ = 0;  // head_ the giver's, tail_ under taking_
    size_t given_ = 0;            // tasks given since the last drain
    plat::Semaphore *free_ = nullptr, *filled_ = nullptr, *taking_ = nullptr, *finished_ = nullptr;
    Thread *threads_ = nullptr;
    size_t count_ = 0;
};

}  // namespace quill

#endif
