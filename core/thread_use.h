// Per-call state reached from the calls on one thread: the piece the
// exported calls share, unless a context of quill.h has set its own on the
// thread for the length of a call.
#ifndef QUILL_THREAD_USE_H
#define QUILL_THREAD_USE_H

namespace quill {

// For its lifetime, the calls on this thread use the T given; the one set
// before comes back when it ends, so uses nest.
template <typename T>
class ThreadUse {
  public:
    explicit ThreadUse(T &t) : previous_(slot()) { slot() = &t; }
    ~ThreadUse() { slot() = previous_; }
    ThreadUse(const ThreadUse &) = delete;
    ThreadUse &operator=(const ThreadUse &) = delete;

    // The T of the innermost use on this thread; shared without one.
    static T &active(T &shared) {
        T *t = slot();
        return t ? *t : shared;
    }

  private:
    static T *&slot() {
        static thread_local T *t = nullptr;
        return t;
    }
    T *previous_;
};

}  // namespace quill

#endif
