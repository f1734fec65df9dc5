// The chunked block stream of an archive, with its helper thread.
#include "engine/pipeline.h"

#include <cstring>
#include <new>

#include "bytes.h"

namespace quill {

namespace {

constexpr size_t kChunkBlocks = kStreamChunkBytes / cipher::kBlockBytes;

}  // namespace

// ---- what writing and reading share ----------------------------------------------

StreamBase::StreamBase(plat::File *file, const uint32_t *key, const uint32_t *inv,
                       const unsigned char *chain, bool ahead)
    : generator_(active_generator()), file_(file), ahead_(ahead), helper_(ahead ? 1 : 0) {
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

void StreamBase::draw_task(void *chunk, size_t) {
    Chunk *c = static_cast<Chunk *>(chunk);
    cipher::draw_stream(c->owner->generator_, c->stream, kChunkBlocks);
}

// ---- writing ------------------------------------------------------------------

BlockWriter::BlockWriter(plat::File *out, const uint32_t *key, unsigned char *chain, Sha256 *hash,
                         bool ahead)
    : StreamBase(out, key, nullptr, chain, ahead),
      reads_(helper_, kStreamChunks, read_task),
      chain_out_(chain),
      hash_(hash) {
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

void BlockWriter::write_task(void *chunk, size_t) {
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
    if (!ahead_) cipher::draw_stream(generator_, stream, n);
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

void BlockWriter::read_task(void *piece, size_t) {
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
        if (!p || !reads_.usable()) {
            *why = plat::kFailUnknown;
            return plat::kReadError;
        }
    }
    // The helper reads the pieces ahead, in order, while this thread
    // enciphers the ones already read.
    uint64_t unread = blocks;
    const auto issue = [&] {
        SourcePiece *p = pieces_[reads_.next()];
        const uint64_t n = unread < kChunkBlocks ? unread : kChunkBlocks;
        p->src = src;
        p->bytes = size_t(n) * cipher::kBlockBytes;
        unread -= n;
        reads_.give(p);
    };
    while (unread != 0 && !reads_.full()) issue();
    plat::ReadEnd end = plat::kReadWhole;
    while (!reads_.empty()) {
        SourcePiece *p = pieces_[reads_.take()];
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
    // The first chunks read, hashed and their keystream drawn ahead, in
    // stream order.
    for (Chunk *c : chunks_) helper_.submit(fill_task, c, c->ready);
    ended_ = !next_chunk();
}

BlockReader::~BlockReader() {
    // The helper's tasks take this reader for theirs: none may outlive it.
    helper_.drain();
}

// On the helper, in stream order: the next chunk of the archive read,
// hashed as it was read, and the keystream of its whole blocks drawn. After
// a failed read nothing more is read.
void BlockReader::fill_task(void *chunk, size_t) {
    Chunk *c = static_cast<Chunk *>(chunk);
    BlockReader &r = *static_cast<BlockReader *>(c->owner);
    const int64_t got = r.stopped_ ? 0 : plat::read(r.file_, c->data, kStreamChunkBytes);
    c->ok = got >= 0;
    if (!c->ok) {
        c->failure = plat::last_failure();
        r.stopped_ = true;
    }
    c->bytes = got > 0 ? size_t(got) : 0;
    if (r.hash_ && r.hash_left_ != 0 && c->bytes != 0) {
        const size_t n = c->bytes < r.hash_left_ ? c->bytes : size_t(r.hash_left_);
        sha256_add(r.hash_, c->data, n);
        r.hash_left_ -= n;
    }
    cipher::draw_stream(r.generator_, c->stream, c->bytes / cipher::kBlockBytes);
}

// Takes the current chunk once the helper has filled it and deciphers its
// whole blocks: the deciphering lanes and the keystream each have a thread.
// False when there is nothing more in it.
bool BlockReader::next_chunk() {
    Chunk *c = chunks_[current_];
    plat::semaphore_wait(c->ready);
    if (!c->ok && !failed_) {
        failed_ = true;
        failure_ = c->failure;
    }
    blocks_ = c->bytes / cipher::kBlockBytes;
    tail_ = c->bytes % cipher::kBlockBytes;
    pos_ = 0;
    cipher::decipher(c->data, blocks_, chain_, schedule_, c->stream);
    return c->bytes != 0;
}

// Gives the used-up current chunk back to be filled after those in flight
// and takes the next; false at the end of the archive (a short chunk was
// its last) or when nothing more came.
bool BlockReader::advance() {
    Chunk *c = chunks_[current_];
    if (c->bytes < kStreamChunkBytes) return false;
    helper_.submit(fill_task, c, c->ready);
    current_ = (current_ + 1) % kStreamChunks;
    return next_chunk();
}

bool BlockReader::hash_rest() {
    // What the helper still reads ahead is hashed as it comes; the current
    // chunk is used up.
    if (!ended_)
        while (advance()) {
        }
    ended_ = true;
    helper_.drain();
    return !failed_;
}

const unsigned char *BlockReader::peek(size_t *blocks) {
    if (!ended_ && pos_ == blocks_ * cipher::kBlockBytes) ended_ = !advance();
    *blocks = ended_ || failed_ ? 0 : blocks_ - pos_ / cipher::kBlockBytes;
    return chunks_[current_]->data + pos_;
}

void BlockReader::consume(size_t blocks) {
    pos_ += blocks * cipher::kBlockBytes;
    taken_ += blocks;
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
