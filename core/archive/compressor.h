// A file's data as one zlib stream, deflated piece by piece on a set of
// workers. Each piece of kDeflatePieceBytes is deflated on its own at level
// 6, with the last 32 KiB of the piece before it as its dictionary, and
// ends on a byte boundary (a sync flush); the last piece ends the stream. A
// piece that deflate cannot shrink (its bytes almost evenly spread, as in
// random, compressed or encrypted data) is kept in stored deflate blocks
// instead, found by a count of its bytes that costs far less than
// deflating it. The stream's header is written once and the pieces'
// Adler-32 values are combined into its check value.
//
// Every piece's bytes depend only on its own input and its dictionary, so
// the stream is the same whatever the number of threads and whichever
// finishes first; any inflate reads it, in any feeding.
#ifndef QUILL_COMPRESSOR_H
#define QUILL_COMPRESSOR_H

#include <cstddef>
#include <cstdint>

#include "archive/ring.h"
#include "archive/workers.h"

namespace quill {

constexpr size_t kDeflatePieceBytes = 128 * 1024;
constexpr size_t kDeflateWindowBytes = 32 * 1024;

// The threads a compression uses: one per processor this process may run
// on, capped by the environment variable QUILLSEAL_THREADS when it holds a
// number from 1 up.
size_t compression_threads();

// Where the data to compress comes from: exactly the bytes asked for, or
// false after a box that says why.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual bool read(unsigned char *to, size_t n) = 0;
};

// Where the stream goes, in order.
class ByteOut {
  public:
    virtual ~ByteOut() = default;
    virtual void put(const unsigned char *bytes, size_t n) = 0;
};

class Compressor {
  public:
    // threads 0 deflates every piece on the caller's thread.
    explicit Compressor(size_t threads);
    ~Compressor();
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;
    // False when its memory cannot be had; it is then unusable.
    bool usable() const { return usable_; }
    // The zlib stream of the next size bytes of in, handed to out. False
    // when in failed (it has said why) or deflate did (no memory).
    bool run(uint64_t size, ByteSource &in, ByteOut &out);

  private:
    struct Piece;
    struct Deflater;
    static void deflate_task(void *piece, size_t worker);
    bool deflate_piece(Piece &p, size_t worker);
    static void emit(const Piece &p, ByteOut &out);
    bool issue(ByteSource &in, uint64_t *left, Piece **previous);
    Workers workers_;
    OrderedRing ring_;
    Piece **pieces_ = nullptr;       // one per slot of the ring
    Deflater *deflaters_ = nullptr;  // one per worker, and one for the caller
    bool usable_ = false;
};

}  // namespace quill

#endif
