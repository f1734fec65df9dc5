// Writing restored files behind the caller's thread.
#include "engine/writebehind.h"

#include <cstring>
#include <new>

#include "bytes.h"

namespace quill {

WriteBehind::WriteBehind() : thread_(1), ring_(thread_, kBuffers, write_task) {
    if (!ring_.usable()) return;
    for (Buffer *&b : buffers_)
        if (!(b = new (std::nothrow) Buffer)) return;
    usable_ = true;
}

WriteBehind::~WriteBehind() {
    plat::Failure why;
    flush(&why);
    for (Buffer *b : buffers_) {
        if (!b) continue;
        wipe(b->data, sizeof b->data);
        delete b;
    }
}

bool end_file(plat::File *file, const plat::FileTimes *times, uint32_t attrs, plat::Flush flush,
              bool written) {
    if (written && times) plat::set_times(file, *times);
    const bool ok = written && plat::make_public(file, attrs) && plat::flush_file(file, flush);
    return plat::close(file) && ok;
}

void WriteBehind::write_task(void *buffer, size_t) {
    Buffer &b = *static_cast<Buffer *>(buffer);
    const unsigned char *from = b.data;
    for (size_t i = 0; i < b.count; i++) {
        Piece &p = b.pieces[i];
        p.ok = plat::write(p.file, from, p.bytes);
        from += p.bytes;
        if (p.closes) p.ok = end_file(p.file, p.timed ? &p.times : nullptr, p.attrs, p.flush, p.ok);
        // The cause is this thread's, which made the call.
        if (!p.ok) p.failure = plat::last_failure();
    }
}

void WriteBehind::give() {
    ring_.give(current_);
    current_ = nullptr;
}

WriteBehind::Piece &WriteBehind::piece_for(plat::File *file) {
    if (current_ && current_->count != 0) {
        Piece &last = current_->pieces[current_->count - 1];
        if (last.file == file && !last.closes && current_->bytes < kBufferBytes) return last;
    }
    if (current_ && (current_->bytes == kBufferBytes || current_->count == kPieces)) give();
    if (!current_) {
        if (ring_.full()) note_buffer(ring_.take());
        current_ = buffers_[ring_.next()];
        current_->bytes = 0;
        current_->count = 0;
    }
    Piece &p = current_->pieces[current_->count++];
    p = Piece{};
    p.file = file;
    return p;
}

// Keeps the first failure of a piece written, and a closed file's outcome:
// a file's end fails when any of its pieces did.
void WriteBehind::note(const Piece &p) {
    bool ok = p.ok;
    plat::Failure why = p.failure;
    if (ok && p.file == broken_) {
        ok = false;
        why = broken_why_;
    }
    if (p.closes) {
        *p.closes = Closed{true, ok, why};
        broken_ = nullptr;
    } else if (!ok) {
        broken_ = p.file;
        broken_why_ = why;
    }
    if (ok || failed_) return;
    failed_ = true;
    failure_ = why;
}

void WriteBehind::note_buffer(size_t slot) {
    const Buffer &b = *buffers_[slot];
    for (size_t i = 0; i < b.count; i++) note(b.pieces[i]);
}

bool WriteBehind::failed(plat::Failure *why) const {
    if (failed_) *why = failure_;
    return failed_;
}

bool WriteBehind::write(plat::File *file, const void *data, size_t n, plat::Failure *why) {
    if (!usable_) {
        // No memory for the buffers: written here and now.
        if (plat::write(file, data, n)) return true;
        *why = plat::last_failure();
        return false;
    }
    const unsigned char *from = static_cast<const unsigned char *>(data);
    while (n != 0) {
        Piece &p = piece_for(file);
        if (failed(why)) return false;
        const size_t room = kBufferBytes - current_->bytes;
        const size_t k = n < room ? n : room;
        std::memcpy(current_->data + current_->bytes, from, k);
        current_->bytes += k;
        p.bytes += k;
        from += k;
        n -= k;
    }
    return !failed(why);
}

bool WriteBehind::close(plat::File *file, const plat::FileTimes *times, uint32_t attrs,
                        plat::Flush flush, Closed *done, plat::Failure *why) {
    if (!usable_) {
        const bool ok = end_file(file, times, attrs, flush);
        *done = Closed{true, ok, ok ? plat::kFailUnknown : plat::last_failure()};
        if (!ok) *why = done->failure;
        return ok;
    }
    Piece &p = piece_for(file);
    p.closes = done;
    p.timed = times != nullptr;
    if (times) p.times = *times;
    p.attrs = attrs;
    p.flush = flush;
    return !failed(why);
}

bool WriteBehind::flush(plat::Failure *why) {
    if (!usable_) return true;
    if (current_ && ring_.empty()) {
        // All of a small file, or the last of a file whose buffers are all
        // written: written here, which spares waiting for the writer.
        write_task(current_, 0);
        note_buffer(ring_.next());
        current_ = nullptr;
    }
    if (current_) give();
    while (!ring_.empty()) note_buffer(ring_.take());
    const bool ok = !failed(why);
    failed_ = false;
    broken_ = nullptr;  // its owner closes a file it flushed
    return ok;
}

}  // namespace quill
