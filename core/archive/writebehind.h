// Writing restored files on a thread of its own, so that the caller's
// thread goes on inflating and taking entries apart while the system
// writes.
//
// The hand-off: write() copies the bytes into the current buffer, which
// holds the data of one file only; a full buffer, or one whose file is not
// the next write's, is given to the writer's thread through an ordered ring
// (ring.h) and belongs to it until taken back. What is left when the
// writer has nothing in hand (all of a small file) is written on the
// caller's thread, which spares it the wait. The buffers are written in
// the order given, so each file's bytes reach it in order. A file may be
// closed only after flush(): until then the writer may still write to it.
// Without the memory for its buffers it writes at once on the caller's
// thread.
#ifndef QUILL_WRITEBEHIND_H
#define QUILL_WRITEBEHIND_H

#include <cstddef>

#include "archive/ring.h"
#include "archive/workers.h"
#include "platform/platform.h"

namespace quill {

class WriteBehind {
  public:
    WriteBehind();
    ~WriteBehind();
    WriteBehind(const WriteBehind &) = delete;
    WriteBehind &operator=(const WriteBehind &) = delete;
    // n bytes more of file's data, written after those given before. False
    // when a write given earlier failed, *why its cause.
    bool write(plat::File *file, const void *data, size_t n, plat::Failure *why);
    // Every byte given so far written. False when a write failed since the
    // last flush, *why the first one's cause.
    bool flush(plat::Failure *why);

  private:
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kBufferBytes = 256 * 1024;
    struct Buffer {
        unsigned char data[kBufferBytes];
        size_t bytes;
        plat::File *file;
        bool ok;
        plat::Failure failure;
    };
    static void write_task(void *buffer, size_t);
    void give();
    void note(const Buffer &b);
    void take_back();
    bool failed(plat::Failure *why) const;
    Workers thread_;
    OrderedRing ring_;
    Buffer *buffers_[kBuffers] = {};
    Buffer *current_ = nullptr;  // being filled; the ring's next slot
    bool failed_ = false;
    plat::Failure failure_ = plat::kFailUnknown;
    bool usable_ = false;
};

}  // namespace quill

#endif
