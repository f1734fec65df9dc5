// A file's data as one zlib stream, deflated piece by piece on a set of
// workers. Each piece of kDeflatePieceBytes is deflated on its own at level
// 6, with the last 32 KiB of the piece before it as its dictionary, and
// ends on a byte boundary (a sync flush); the last piece ends the stream. A
// piece that deflate cannot shrink (its bytes almost evenly spread and not
// repeated within deflate's reach, as in random, compressed or encrypted
// data) is kept in stored deflate blocks instead, found by a count of its
// bytes and a probe of samples for repeats, which cost far less than
// deflating it. The stream's header is written once and the pieces'
// Adler-32 values are combined into its check value.
//
// Every piece's bytes depend only on its own input and its dictionary, so
// the stream is the same whatever the number of threads and whichever
// finishes first; any inflate reads it, in any feeding.
//
// Files follow one another through the same ring: while the workers deflate
// the last pieces of one file the next file's are read, so that a tree of
// small files keeps every worker busy too. A file that fits in one piece
// shares its slot of the ring with the small files around it, up to a
// piece's bytes, so that such a tree costs one hand-off per piece rather
// than one per file; a larger file's pieces have a slot each. Each file's
// stream goes out behind the bytes given with it (its entry's header), in
// the order the files were given.
#ifndef QUILL_COMPRESSOR_H
#define QUILL_COMPRESSOR_H

#include <cstddef>
#include <cstdint>

#include "engine/ring.h"
#include "engine/workers.h"

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

// Where the streams go, in order.
class ByteOut {
  public:
    virtual ~ByteOut() = default;
    virtual void put(const unsigned char *bytes, size_t n) = 0;
    // One file's stream is complete.
    virtual void end_stream() = 0;
};

// The most bytes that go out in front of one file's stream.
constexpr size_t kStreamPrefixBytes = 512;

class Compressor {
  public:
    // threads 0 deflates every piece on the caller's thread.
    explicit Compressor(size_t threads);
    ~Compressor();
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;
    // False when its memory cannot be had; it is then unusable.
    bool usable() const { return usable_; }
    // Reads the next size bytes of in, all of them before it returns, for a
    // stream that goes to out after prefix (at most kStreamPrefixBytes) and
    // after the streams of the files given before; meanwhile what is ready
    // of those goes out. False when in failed (it has said why) or deflate
    // did (no memory); then nothing more of what was given goes out, and
    // the compressor starts afresh with the next file.
    bool add(const unsigned char *prefix, size_t prefix_bytes, uint64_t size, ByteSource &in,
             ByteOut &out);
    // Every stream given so far gone out. False when deflate failed, as
    // for add.
    bool flush(ByteOut &out);

  private:
    struct Part;
    struct Piece;
    struct Deflater;
    static void deflate_task(void *piece, size_t worker);
    bool deflate_part(Piece &s, Part &p, size_t worker);
    void emit(const Piece &s, const Part &p, ByteOut &out);
    bool take_back(ByteOut &out);
    void give_open();
    void discard();
    Workers workers_;
    OrderedRing ring_;
    Piece **pieces_ = nullptr;       // one per slot of the ring
    Piece *open_ = nullptr;          // the ring's next slot, taking small files, not yet given
    Deflater *deflaters_ = nullptr;  // one per worker; one for the caller without workers
    uint32_t adler_ = 1;             // of the stream going out, so far
    bool failed_ = false;            // deflate had no memory for a piece
    bool usable_ = false;
};

}  // namespace quill

#endif
