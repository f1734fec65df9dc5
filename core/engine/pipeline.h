// The block stream of one archive, moved in large chunks with a helper
// thread beside the caller's. The keystream does not depend on the data, so
// the helper draws it ahead, chunk after chunk in stream order. Writing, the
// caller's thread enciphers while the helper writes the finished chunks and
// hashes them for the signature, and reads a stored file ahead through an
// ordered ring (ring.h). Reading, the helper reads the archive ahead and
// hashes what it read, while the caller's thread deciphers, takes the
// entries apart and inflates them. The helper is one thread of
// workers (workers.h), which runs its tasks in the order given. Each
// chunk's buffers belong to one thread at a time, handed over by
// semaphores: the caller's from the moment it waits on a chunk's ready
// until it gives the chunk back, the helper's in between. Without a second
// thread every task runs on the caller's, in the same order, with the same
// result.
//
// While a stream is open nothing else may use its generator, the one of the
// call that opened it (random.h): the helper draws from it. Closing the
// stream (finish, or the destructor) waits until the helper has stopped.
#ifndef QUILL_PIPELINE_H
#define QUILL_PIPELINE_H

#include <cstddef>
#include <cstdint>

#include "engine/ring.h"
#include "engine/workers.h"
#include "format/stream.h"
#include "platform/platform.h"
#include "symmetric/cipher.h"
#include "symmetric/random.h"
#include "symmetric/sha256.h"

namespace quill {

// Bytes of one chunk and the number of chunks in flight: the memory of a
// stream is about twice their product, whatever the archive's size.
constexpr size_t kStreamChunkBytes = 256 * 1024;
constexpr size_t kStreamChunks = 4;

// One chunk of the stream and its keystream.
// Every field belongs to the thread that holds the chunk (above); owner is
// set once, before the helper starts.
struct Chunk {
    unsigned char data[kStreamChunkBytes];
    uint64_t stream[kStreamChunkBytes / cipher::kBlockBytes * cipher::kStreamWords];
    size_t bytes = 0;                            // plaintext or ciphertext bytes it holds
    bool ok = true;                              // its last write or read succeeded
    plat::Failure failure = plat::kFailUnknown;  // why not, when it did not
    plat::Semaphore *ready = nullptr;
    class StreamBase *owner = nullptr;
};

class StreamBase {
  public:
    // The stream continues from the key schedules and the chaining block;
    // ahead false draws the keystream on the caller's thread, block for block
    // as it is used, and writes and reads there too.
    StreamBase(plat::File *file, const uint32_t *key, const uint32_t *inv,
               const unsigned char *chain, bool ahead);
    virtual ~StreamBase();
    StreamBase(const StreamBase &) = delete;
    StreamBase &operator=(const StreamBase &) = delete;
    // False when the chunks cannot be had (no memory); the stream is then
    // unusable.
    bool usable() const { return usable_; }

  protected:
    static void draw_task(void *chunk, size_t);
    // The generator of the call that opened the stream, which the helper
    // draws the keystream from: the helper's thread has none of its own.
    Generator &generator_;
    plat::File *file_;
    cipher::Schedule schedule_;
    unsigned char chain_[cipher::kBlockBytes];
    Chunk *chunks_[kStreamChunks] = {};
    size_t current_ = 0;
    bool usable_ = true;
    bool ahead_;
    Workers helper_;
};

// Enciphers blocks and writes them to the archive, hashing what is written
// into hash, when given (it already holds what lies in front of the
// stream). Drawn ahead, the keystream runs past the stream's last block: the
// generator is not where one block at a time would leave it, which only the
// exported one-entry writers, which draw exactly, need.
class BlockWriter : public StreamBase {
  public:
    BlockWriter(plat::File *out, const uint32_t *key, unsigned char *chain, Sha256 *hash,
                bool ahead);
    ~BlockWriter() override;
    // Room for up to *blocks blocks of plaintext in the current chunk (at
    // least one); fill it and commit what was filled.
    unsigned char *space(size_t *blocks);
    void commit(size_t blocks);
    // Enciphers and writes whole blocks of data.
    void put(const unsigned char *data, size_t blocks);
    // Enciphers and writes the next blocks whole blocks of the source file,
    // which the helper reads ahead; read(bytes) is told of every piece
    // taken. kReadShort when the source ends first; kReadError when a read
    // fails, with *why its cause.
    plat::ReadEnd put_source(plat::File *src, uint64_t blocks, void (*read)(uint64_t),
                             plat::Failure *why);
    // Every block written and hashed; false when a write failed. The chaining
    // block given at the start then holds the last ciphertext block.
    bool finish();
    // Why the first failed write failed.
    plat::Failure failure() const { return failure_; }

  private:
    // A piece of a source file, read by the helper.
    struct SourcePiece {
        unsigned char data[kStreamChunkBytes];
        size_t bytes = 0;
        plat::File *src = nullptr;
        plat::ReadEnd end = plat::kReadWhole;
        plat::Failure failure = plat::kFailUnknown;
    };
    static void write_task(void *chunk, size_t);
    static void read_task(void *piece, size_t);
    void seal();
    void take_current();
    void fail_if(Chunk *c);
    void encipher_at(const unsigned char *in, size_t n);
    SourcePiece *pieces_[kStreamChunks] = {};
    OrderedRing reads_;  // of pieces_, on the helper
    unsigned char *chain_out_;
    Sha256 *hash_;
    bool failed_ = false;
    plat::Failure failure_ = plat::kFailUnknown;
};

// Reads the archive in chunks, ahead on the helper, and deciphers them in
// order.
class BlockReader : public StreamBase {
  public:
    // hash, when given, takes the first hash_bytes bytes read as they are
    // read, before they are deciphered (it holds what lies in front).
    BlockReader(plat::File *in, const Secrets &s, Sha256 *hash = nullptr, uint64_t hash_bytes = 0);
    // Waits for the chunks the helper still fills.
    ~BlockReader() override;
    // Deciphered blocks in the current chunk: up to *blocks of them from the
    // pointer returned; *blocks is 0 at the end of the archive's whole
    // blocks. Take what was used with consume.
    const unsigned char *peek(size_t *blocks);
    void consume(size_t blocks);
    // Blocks taken so far (consumed), which places the next one in the
    // archive.
    uint64_t taken() const { return taken_; }
    // Exactly blocks blocks into out; false when the archive ends first or a
    // read failed.
    bool take(unsigned char *out, size_t blocks);
    // Bytes after the last whole block at the end of the archive (a cut or
    // damaged archive), and whether a read failed; meaningful once peek
    // gives no more blocks.
    size_t tail() const { return tail_; }
    bool failed() const { return failed_; }
    // Why the read failed, when one did.
    plat::Failure failure() const { return failure_; }
    // Reads what is left of the archive after the entries ended, for the
    // hash alone; false when a read failed.
    bool hash_rest();

  private:
    static void fill_task(void *chunk, size_t);
    bool next_chunk();
    bool advance();
    Sha256 *hash_;          // the helper's while the stream is open
    uint64_t hash_left_;    // the helper's
    bool stopped_ = false;  // the helper's: a read failed, nothing more is read
    size_t pos_ = 0;        // bytes of the current chunk already taken
    size_t blocks_ = 0;     // whole blocks deciphered in the current chunk
    size_t tail_ = 0;
    uint64_t taken_ = 0;
    bool ended_ = false, failed_ = false;
    plat::Failure failure_ = plat::kFailUnknown;
};

}  // namespace quill

#endif
