// The chunked block stream of an archive, with its helper thread.
#include "archive/pipeline.h"

#include <cstring>
#include <new>

#include "bytes.h"

namespace quill {

namespace {

constexpr size_t kChunkBlocks = kStreamChunkBytes / cipher::kBlockBytes;

}  // namespace

// ---- the helper thread ----------------------------------------------------------

Helper::Helper(bool threaded) {
    free_ = plat::semaphore_new(unsigned(kQueue));
    filled_ = plat::semaphore_new(0);
    drained_ = plat::semaphore_new(0);
    if (threaded && free_ && filled_ && drained_) thread_ = plat::thread_start(loop, this);
}

Helper::~Helper() {
    if (thread_) {
        submit(nullptr, nullptr, nullptr);  // the end of the queue
        plat::thread_join(thread_);
    }
    plat::semaphore_free(free_);
    plat::semaphore_free(filled_);
    plat::semaphore_free(drained_);
}

void Helper::loop(void *self) {
    Helper &h = *static_cast<Helper *>(self);
    for (;;) {
        plat::semaphore_wait(h.filled_);
        const Task task = h.queue_[h.tail_];
        h.tail_ = (h.tail_ + 1) % kQueue;
        plat::semaphore_post(h.free_);
        if (!task.run) return;
        task.run(task.arg);
        if (task.done) plat::semaphore_post(task.done);
    }
}

void Helper::submit(void (*task)(void *), void *arg, plat::Semaphore *done) {
    if (!thread_) {
        // No second thread: the task runs now, which keeps the order.
        if (task) task(arg);
        if (done) plat::semaphore_post(done);
        return;
    }
    plat::semaphore_wait(free_);
    queue_[head_] = {task, arg, done};
    head_ = (head_ + 1) % kQueue;
    plat::semaphore_post(filled_);
}

void Helper::drain() {
    if (!thread_) return;
    submit([](void *) {}, nullptr, drained_);
    plat::semaphore_wait(drained_);
}

// ---- what writing and reading share ----------------------------------------------

StreamBase::StreamBase(plat::File *file, const uint32_t *key, const uint32_t *inv,
                       const unsigned char *chain, bool ahead)
    : file_(file), ahead_(ahead), helper_(ahead) {
    cipher::load_schedule(key, inv, &schedule_);
    std::memcpy(chain_, chain, sizeof chain_);
    for (Chunk *&c : chunks_) {
        c = new (std::nothrow) Chunk;
        if (!c || !(c->ready = plat::semaphore_new(0))) {
            usable_ = false;
            continue;
        }
        c->owner = this;
    }
}

StreamBase::~StreamBase() {
    helper_.drain();
    for (Chunk *c : chunks_) {
        if (!c) continue;
        plat::semaphore_free(c->ready);
        wipe(c, sizeof *c);
        delete c;
    }
    wipe(&schedule_, sizeof schedule_);
}

void StreamBase::draw_task(void *chunk) {
    cipher::draw_stream(static_cast<Chunk *>(chunk)->stream, kChunkBlocks);
}

// ---- writing ------------------------------------------------------------------

BlockWriter::BlockWriter(plat::File *out, const uint32_t *key, unsigned char *chain, Sha256 *hash,
                         bool ahead)
    : StreamBase(out, key, nullptr, chain, ahead), chain_out_(chain), hash_(hash) {
    if (!usable_) return;
    // The keystream of the first chunks, in stream order; drawn exactly, each
    // chunk's comes just before it is enciphered.
    for (Chunk *c : chunks_) {
        if (ahead_)
            helper_.submit(draw_task, c, c->ready);
        else
            plat::semaphore_post(c->ready);
    }
    take_current();
}

BlockWriter::~BlockWriter() {
    helper_.drain();
    for (SourcePiece *p : pieces_) {
        if (!p) continue;
        plat::semaphore_free(p->ready);
        wipe(p->data, sizeof p->data);
        delete p;
    }
}

// The current chunk is ours once its keystream is drawn, which in the
// helper's order also means its last write is done.
void BlockWriter::take_current() {
    Chunk *c = chunks_[current_];
    plat::semaphore_wait(c->ready);
    fail_if(c);
    c->bytes = 0;
}

// Keeps the first failed write and its cause.
void BlockWriter::fail_if(Chunk *c) {
    if (c->ok || failed_) return;
    failed_ = true;
    failure_ = c->failure;
}

void BlockWriter::write_task(void *chunk) {
    Chunk *c = static_cast<Chunk *>(chunk);
    BlockWriter *w = static_cast<BlockWriter *>(c->owner);
    c->ok = plat::write(w->file_, c->data, c->bytes);
    // The cause is this thread's, which made the call.
    if (!c->ok) c->failure = plat::last_failure();
    if (c->ok && w->hash_) sha256_add(w->hash_, c->data, c->bytes);
}

// Hands the full (or last) current chunk to the helper for writing and for
// the keystream of its next use, and moves on.
void BlockWriter::seal() {
    Chunk *c = chunks_[current_];
    if (c->bytes == 0) return;
    helper_.submit(write_task, c, nullptr);
    if (ahead_)
        helper_.submit(draw_task, c, c->ready);
    else
        plat::semaphore_post(c->ready);
    current_ = (current_ + 1) % kStreamChunks;
    take_current();
}

// Enciphers n blocks (no more than the current chunk has room for) from in
// to the chunk's end, drawing their keystream first when it is drawn
// exactly.
void BlockWriter::encipher_at(const unsigned char *in, size_t n) {
    Chunk *c = chunks_[current_];
    uint64_t *stream = c->stream + c->bytes / cipher::kBlockBytes * cipher::kStreamWords;
    if (!ahead_) cipher::draw_stream(stream, n);
    cipher::encipher_into(in, c->data + c->bytes, n, chain_, schedule_, stream);
    c->bytes += n * cipher::kBlockBytes;
    if (c->bytes == kStreamChunkBytes) seal();
}

unsigned char *BlockWriter::space(size_t *blocks) {
    Chunk *c = chunks_[current_];
    *blocks = (kStreamChunkBytes - c->bytes) / cipher::kBlockBytes;
    return c->data + c->bytes;
}

void BlockWriter::commit(size_t blocks) {
    Chunk *c = chunks_[current_];
    encipher_at(c->data + c->bytes, blocks);
}

void BlockWriter::put(const unsigned char *data, size_t blocks) {
    while (blocks != 0) {
        size_t room;
        space(&room);
        const size_t n = blocks < room ? blocks : room;
        encipher_at(data, n);
        data += n * cipher::kBlockBytes;
        blocks -= n;
    }
}

void BlockWriter::read_task(void *piece) {
    SourcePiece *p = static_cast<SourcePiece *>(piece);
    p->end = plat::read_whole(p->src, p->data, p->bytes);
    // The cause is this thread's, which made the call.
    if (p->end == plat::kReadError) p->failure = plat::last_failure();
}

plat::ReadEnd BlockWriter::put_source(plat::File *src, uint64_t blocks, void (*read)(uint64_t),
                                      plat::Failure *why) {
    if (!ahead_) {
        // One thread: read straight into the chunks.
        while (blocks != 0) {
            size_t room;
            unsigned char *to = space(&room);
            const size_t n = blocks < room ? size_t(blocks) : room;
            const plat::ReadEnd end = plat::read_whole(src, to, n * cipher::kBlockBytes);
            if (end != plat::kReadWhole) {
                *why = plat::last_failure();
                return end;
            }
            read(n * cipher::kBlockBytes);
            commit(n);
            blocks -= n;
        }
        return plat::kReadWhole;
    }
    for (SourcePiece *&p : pieces_) {
        if (!p) p = new (std::nothrow) SourcePiece;
        if (!p || (!p->ready && !(p->ready = plat::semaphore_new(0)))) {
            *why = plat::kFailUnknown;
            return plat::kReadError;
        }
    }
    // The helper reads the pieces ahead, in order, while this thread
    // enciphers the ones already read.
    uint64_t unread = blocks;
    size_t issued = 0, taken = 0;
    const auto issue = [&] {
        SourcePiece *p = pieces_[issued % kStreamChunks];
        const uint64_t n = unread < kChunkBlocks ? unread : kChunkBlocks;
        p->src = src;
        p->bytes = size_t(n) * cipher::kBlockBytes;
        unread -= n;
        issued++;
        helper_.submit(read_task, p, p->ready);
    };
    while (unread != 0 && issued < kStreamChunks) issue();
    plat::ReadEnd end = plat::kReadWhole;
    while (taken < issued) {
        SourcePiece *p = pieces_[taken++ % kStreamChunks];
        plat::semaphore_wait(p->ready);
        if (end == plat::kReadWhole && p->end != plat::kReadWhole) {
            end = p->end;
            *why = p->failure;
        }
        if (end != plat::kReadWhole) continue;  // the pieces in flight still come back
        read(p->bytes);
        put(p->data, p->bytes / cipher::kBlockBytes);
        if (unread != 0) issue();
    }
    return end;
}

bool BlockWriter::finish() {
    if (!usable_) return false;
    seal();
    helper_.drain();
    for (Chunk *c : chunks_) fail_if(c);
    std::memcpy(chain_out_, chain_, sizeof chain_);
    return !failed_;
}

// ---- reading ------------------------------------------------------------------

BlockReader::BlockReader(plat::File *in, const Secrets &s, Sha256 *hash, uint64_t hash_bytes)
    : StreamBase(in, s.key, s.inv, s.chain, true), hash_(hash), hash_left_(hash_bytes) {
    if (!usable_) return;
    // The keystream of the first chunks, in stream order.
    for (Chunk *c : chunks_) helper_.submit(draw_task, c, c->ready);
    ended_ = !next_chunk();
}

// Reads the next chunk once its keystream is drawn and deciphers its whole
// blocks. The reading stays on this thread, which has time for it while the
// helper draws. False when there is nothing more to read.
bool BlockReader::next_chunk() {
    Chunk *c = chunks_[current_];
    plat::semaphore_wait(c->ready);
    const int64_t got = plat::read(file_, c->data, kStreamChunkBytes);
    if (got < 0) {
        failed_ = true;
        failure_ = plat::last_failure();
    }
    c->bytes = got > 0 ? size_t(got) : 0;
    hash_read(c->data, c->bytes);
    blocks_ = c->bytes / cipher::kBlockBytes;
    tail_ = c->bytes % cipher::kBlockBytes;
    pos_ = 0;
    cipher::decipher(c->data, blocks_, chain_, schedule_, c->stream);
    return c->bytes != 0;
}

void BlockReader::hash_read(const unsigned char *data, size_t bytes) {
    if (!hash_) return;
    const size_t n = bytes < hash_left_ ? bytes : size_t(hash_left_);
    sha256_add(hash_, data, n);
    hash_left_ -= n;
}

bool BlockReader::hash_rest() {
    // The current chunk is used up; its buffer takes the rest.
    Chunk *c = chunks_[current_];
    if (c->bytes < kStreamChunkBytes) return !failed_;
    for (;;) {
        const int64_t got = plat::read(file_, c->data, kStreamChunkBytes);
        if (got < 0) {
            failed_ = true;
            failure_ = plat::last_failure();
            return false;
        }
        if (got == 0) return !failed_;
        hash_read(c->data, size_t(got));
    }
}

const unsigned char *BlockReader::peek(size_t *blocks) {
    Chunk *c = chunks_[current_];
    if (!ended_ && pos_ == blocks_ * cipher::kBlockBytes) {
        // A short chunk was the archive's last.
        if (c->bytes < kStreamChunkBytes) {
            ended_ = true;
        } else {
            // The chunk's keystream for its next use, after those in flight.
            helper_.submit(draw_task, c, c->ready);
            current_ = (current_ + 1) % kStreamChunks;
            ended_ = !next_chunk();
            c = chunks_[current_];
        }
    }
    *blocks = ended_ || failed_ ? 0 : blocks_ - pos_ / cipher::kBlockBytes;
    return c->data + pos_;
}

void BlockReader::consume(size_t blocks) {
    pos_ += blocks * cipher::kBlockBytes;
}

bool BlockReader::take(unsigned char *out, size_t blocks) {
    while (blocks != 0) {
        size_t have;
        const unsigned char *from = peek(&have);
        if (have == 0) return false;
        const size_t n = blocks < have ? blocks : have;
        std::memcpy(out, from, n * cipher::kBlockBytes);
        out += n * cipher::kBlockBytes;
        blocks -= n;
        consume(n);
    }
    return true;
}

}  // namespace quill
