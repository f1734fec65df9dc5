// Writing restored files behind the caller's thread.
#include "archive/writebehind.h"

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

void WriteBehind::write_task(void *buffer, size_t) {
    Buffer &b = *static_cast<Buffer *>(buffer);
    b.ok = plat::write(b.file, b.data, b.bytes);
    // The cause is this thread's, which made the call.
    if (!b.ok) b.failure = plat::last_failure();
}

void WriteBehind::give() {
    ring_.give(current_);
    current_ = nullptr;
}

// Keeps the first failure of a buffer written.
void WriteBehind::note(const Buffer &b) {
    if (b.ok || failed_) return;
    failed_ = true;
    failure_ = b.failure;
}

// Takes back the oldest buffer given.
void WriteBehind::take_back() {
    note(*buffers_[ring_.take()]);
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
        if (current_ && (current_->file != file || current_->bytes == kBufferBytes)) give();
        if (!current_) {
            if (ring_.full()) take_back();
            if (failed(why)) return false;
            current_ = buffers_[ring_.next()];
            current_->file = file;
            current_->bytes = 0;
        }
        const size_t room = kBufferBytes - current_->bytes;
        const size_t k = n < room ? n : room;
        std::memcpy(current_->data + current_->bytes, from, k);
        current_->bytes += k;
        from += k;
        n -= k;
    }
    return !failed(why);
}

bool WriteBehind::flush(plat::Failure *why) {
    if (!usable_) return true;
    if (current_ && ring_.empty()) {
        // All of a small file, or the last of a file whose buffers are all
        // written: written here, which spares waiting for the writer.
        write_task(current_, 0);
        note(*current_);
        current_ = nullptr;
    }
    if (current_) give();
    while (!ring_.empty()) take_back();
    const bool ok = !failed(why);
    failed_ = false;
    return ok;
}

}  // namespace quill
