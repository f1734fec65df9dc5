// SHA-256 over memory and over files.
//
// The state is eight native words H0..H7. Callers of the streaming functions
// own a 64-word work area: its first 64 bytes receive a message block in file
// order, and the functions turn it into the big-endian message schedule in
// place, so its content is gone after every call.
#include "quillcore.h"

#include <cstring>

#include "bytes.h"
#include "cpu.h"
#include "platform/platform.h"
#include "progress.h"
#include "symmetric/sha256.h"

namespace quill {

const uint32_t kSha256Rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

}  // namespace quill

namespace {

// Bytes per block, and bytes of the extra value SHA256R appends to the file.
const size_t block_bytes = 64;
const size_t extra_bytes = 160;

// Files are read through a buffer of this size; the result does not depend
// on it.
const size_t read_bytes = 64 * 1024;

inline uint32_t rotr(uint32_t x, int n) {
    return x >> n | x << (32 - n);
}

// Words 0..15 of work, still in file byte order, become big-endian words.
// Reading through bytes makes this independent of the host's byte order.
void load_block(uint32_t *work) {
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(work);
    uint32_t w[16];
    for (int i = 0; i < 16; i++) w[i] = quill::load32_be(bytes + 4 * i);
    std::memcpy(work, w, sizeof w);
}

// Expands words 0..15 into the full schedule, words 16..63.
void expand(uint32_t *w) {
    for (int t = 16; t < 64; t++) {
        uint32_t s0 = rotr(w[t - 15], 7) ^ rotr(w[t - 15], 18) ^ w[t - 15] >> 3;
        uint32_t s1 = rotr(w[t - 2], 17) ^ rotr(w[t - 2], 19) ^ w[t - 2] >> 10;
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
}

}  // namespace

namespace quill {

void sha256_blocks_portable(uint32_t *state, const unsigned char *data, size_t blocks) {
    uint32_t work[64];
    for (size_t n = 0; n < blocks; n++) {
        std::memcpy(work, data + 64 * n, block_bytes);
        SHA256_process(state, work);
    }
    wipe(work, sizeof work);
}

void sha256_blocks(uint32_t *state, const unsigned char *data, size_t blocks) {
    if (cpu::features().sha)
        sha256_blocks_ni(state, data, blocks);
    else
        sha256_blocks_portable(state, data, blocks);
}

void sha256_start(Sha256 *h) {
    SHA256_int(h->state);
    h->fill = 0;
    h->total = 0;
}

// Whole blocks go straight from data; only a partial block waits in work.
void sha256_add(Sha256 *h, const unsigned char *data, size_t n) {
    if (n == 0) return;  // data may then be null
    unsigned char *block = reinterpret_cast<unsigned char *>(h->work);
    h->total += n;
    if (h->fill != 0) {
        const size_t take = block_bytes - h->fill < n ? block_bytes - h->fill : n;
        std::memcpy(block + h->fill, data, take);
        h->fill += take;
        data += take;
        n -= take;
        if (h->fill < block_bytes) return;
        sha256_blocks(h->state, block, 1);
        h->fill = 0;
    }
    const size_t whole = n / block_bytes;
    if (whole != 0) sha256_blocks(h->state, data, whole);
    std::memcpy(block, data + whole * block_bytes, n % block_bytes);
    h->fill = n % block_bytes;
}

bool sha256_file(Sha256 *h, plat::File *file, uint64_t bytes) {
    unsigned char buf[read_bytes];
    bool ok = true;
    while (bytes > 0) {
        const size_t want = bytes < sizeof buf ? size_t(bytes) : sizeof buf;
        const int64_t got = plat::read(file, buf, want);
        if (got <= 0) {
            // The end of the file is the end only when no count was asked
            // for; a read error is a failure either way.
            ok = got == 0 && bytes == UINT64_MAX;
            break;
        }
        sha256_add(h, buf, size_t(got));
        progress::advance(uint64_t(got));
        if (bytes != UINT64_MAX) bytes -= uint64_t(got);
    }
    // The file may be secret material (a password is derived from one).
    wipe(buf, sizeof buf);
    return ok;
}

void sha256_end(Sha256 *h, uint32_t *out) {
    SHA256_finish(h->state, h->work, uint32_t(h->total), uint32_t(h->total >> 32));
    std::memcpy(out, h->state, sizeof h->state);
    wipe(h, sizeof *h);
}

}  // namespace quill

namespace {}  // namespace

extern "C" {

void SHA256_int(uint32_t *state) {
    static const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::memcpy(state, initial, sizeof initial);
}

void SHA256_transform(uint32_t *state, const uint32_t *work) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; t++) {
        uint32_t t1 = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                      quill::kSha256Rounds[t] + work[t];
        uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

void SHA256_process(uint32_t *state, uint32_t *work) {
    load_block(work);
    expand(work);
    SHA256_transform(state, work);
}

void SHA256_finish(uint32_t *state, uint32_t *work, uint32_t lo, uint32_t hi) {
    unsigned char *block = reinterpret_cast<unsigned char *>(work);
    const size_t rest = lo % block_bytes;
    // The 1 bit after the message, then zeros; whatever the caller left in
    // the work area behind its bytes must not reach the hash.
    block[rest] = 0x80;
    std::memset(block + rest + 1, 0, block_bytes - rest - 1);
    load_block(work);
    // No room for the 8-byte length after the 0x80: it goes into a block of
    // its own.
    if (rest >= block_bytes - 8) {
        expand(work);
        SHA256_transform(state, work);
        std::memset(work, 0, 14 * sizeof *work);
    }
    // Bit length = byte length * 8, as a 64-bit big-endian number.
    work[14] = hi << 3 | lo >> 29;
    work[15] = lo << 3;
    expand(work);
    SHA256_transform(state, work);
}

void SHA256_array(const unsigned char *data, uint32_t length, uint32_t *state) {
    // The data may be a password block; sha256_end leaves nothing of it.
    quill::Sha256 h;
    quill::sha256_start(&h);
    quill::sha256_add(&h, data, length);
    quill::sha256_end(&h, state);
}

int32_t SHA256(const char *path, uint32_t *state) {
    SHA256_int(state);
    quill::plat::File *file = quill::plat::open_read_shared(path);
    if (!file) return 1;
    const int64_t size = quill::plat::size(file);
    quill::progress::Scope scope(size > 0 ? uint64_t(size) : 0);
    quill::Sha256 h;
    quill::sha256_start(&h);
    const bool ok = quill::sha256_file(&h, file, UINT64_MAX);
    quill::plat::close(file);
    uint32_t out[8];
    quill::sha256_end(&h, out);
    if (!ok) return 1;
    std::memcpy(state, out, sizeof out);
    return 0;
}

int32_t SHA256R(const char *path, int64_t count, const unsigned char *extra, uint32_t *state) {
    SHA256_int(state);
    if (count < 0) return 1;
    quill::plat::File *file = quill::plat::open_read_shared(path);
    if (!file) return 1;
    quill::Sha256 h;
    quill::sha256_start(&h);
    const bool ok = quill::sha256_file(&h, file, uint64_t(count));
    quill::plat::close(file);
    quill::sha256_add(&h, extra, extra_bytes);
    uint32_t out[8];
    quill::sha256_end(&h, out);
    if (!ok) return 1;
    std::memcpy(state, out, sizeof out);
    return 0;
}

}  // extern "C"
