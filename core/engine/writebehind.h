// Writing restored files on a thread of its own, so that the caller's
// thread goes on inflating and taking entries apart while the system
// writes.
//
// The hand-off: write() copies the bytes into the current buffer, a run of
// pieces, each the next bytes of one file; a full buffer (no room for more
// bytes or pieces) is given to the writer's thread through an ordered ring
// (ring.h) and belongs to it until taken back. The buffers are written in
// the order given, so each file's bytes reach it in order. A file may be
// closed by its owner only after flush(): until then the writer may still
// write to it. What is left when the writer has nothing in hand (all of a
// small file) is flushed on the caller's thread, which spares it the wait.
// Or the writer closes it: close() ends the file's last piece with the
// file's end (its times, its permissions, the close itself), and from then
// the file is the writer's; the buffer stays current, so that one hand-off
// carries many small files. The file's outcome reaches the caller's record
// when that buffer is taken back, at a later write, close or flush, on the
// caller's thread, which alone reads it. Without the memory for its buffers
// it writes and closes at once on the caller's thread.
#ifndef QUILL_WRITEBEHIND_H
#define QUILL_WRITEBEHIND_H

#include <cstddef>
#include <cstdint>

#include "engine/ring.h"
#include "engine/workers.h"
#include "platform/platform.h"

namespace quill {

// A restored file's end, whoever writes it: its times once nothing more is
// written, its permissions (plat::make_public), its data flushed as flush
// says (plat::flush_file) and the close, where a write the disk refused may
// show only now. written false: an earlier write failed, and the file is
// only closed. False when any of it failed; the file is closed all the same.
bool end_file(plat::File *file, const plat::FileTimes *times, uint32_t attrs, plat::Flush flush,
              bool written = true);

class WriteBehind {
  public:
    // What became of a file given to close(): complete once the buffer that
    // closed it has been taken back.
    struct Closed {
        bool complete = false;
        bool ok = false;
        plat::Failure failure = plat::kFailUnknown;
    };
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
    // After file's last byte: its times set when given, made public with
    // attrs (plat::make_public), flushed as flush says and closed, by the
    // writer. *done, which must
    // outlive the next flush(), then says how that went, the file's earlier
    // writes included. False when a write is known to have failed already,
    // *why its cause (this file's, or one given before it).
    bool close(plat::File *file, const plat::FileTimes *times, uint32_t attrs, plat::Flush flush,
               Closed *done, plat::Failure *why);

  private:
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kBufferBytes = 256 * 1024;
    static constexpr size_t kPieces = 64;
    // The next bytes of one file, and maybe its end.
    struct Piece {
        plat::File *file;
        size_t bytes;
        Closed *closes;  // the file ends with this piece when not null
        bool timed;
        plat::FileTimes times;
        uint32_t attrs;
        plat::Flush flush;
        bool ok;  // set by the writer
        plat::Failure failure;
    };
    struct Buffer {
        unsigned char data[kBufferBytes];
        size_t bytes;
        Piece pieces[kPieces];
        size_t count;
    };
    static void write_task(void *buffer, size_t);
    void give();
    // The piece of file that its next bytes or its end go to: the current
    // buffer's last, or a new one, in a new buffer when this one is full
    // (taken back first when the ring is full).
    Piece &piece_for(plat::File *file);
    void note(const Piece &p);
    // Notes the pieces of the buffer in slot, taken back.
    void note_buffer(size_t slot);
    bool failed(plat::Failure *why) const;
    Workers thread_;
    OrderedRing ring_;
    Buffer *buffers_[kBuffers] = {};
    Buffer *current_ = nullptr;  // being filled; the ring's next slot
    // The file whose buffer taken back last failed, and why: its closing
    // buffer comes after it, and says so.
    plat::File *broken_ = nullptr;
    plat::Failure broken_why_ = plat::kFailUnknown;
    bool failed_ = false;
    plat::Failure failure_ = plat::kFailUnknown;
    bool usable_ = false;
};

}  // namespace quill

#endif
