// Archives for the committed key pair built block by block, for the
// structured target and the crafted seeds: a fixed key agreement, the block
// stream enciphered as it grows (its clear text kept beside it, so that an
// oracle knows every block a reader will decipher) and a trailer's worth of
// zero bytes.
#ifndef QUILL_FUZZ_WRITER_H
#define QUILL_FUZZ_WRITER_H

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common.h"
#include "format/layout.h"
#include "format/stream.h"
#include "keys/keyfile.h"

namespace fuzz {

// The fixed key agreement: the ephemeral exponent r is a constant, so the
// public value x^r and the shared secret y^r are computed once.
struct Agreement {
    unsigned char image[QUILL_NUM_BYTES];
    uint32_t shared[QUILL_LIMBS];
};

inline const Agreement &agreement() {
    static const Agreement a = [] {
        Agreement out{};
        // The committed public key, read the way the library reads it.
        uint32_t y[QUILL_LIMBS];
        if (quill::load_public_key(public_key().c_str(), y) != 0) std::abort();
        uint32_t r[QUILL_LIMBS];
        for (int i = 0; i < QUILL_LIMBS; i++) r[i] = 0x9E3779B9u * uint32_t(i + 1);
        r[QUILL_LIMBS - 1] &= 0x7FFFFFFFu;  // as every drawn exponent
        uint32_t value[QUILL_LIMBS];
        x_enujyou(r, value);
        quill::store_num(out.image, value);
        fx_enujyou(y, r, out.shared);
        return out;
    }();
    return a;
}

// One archive under construction. Nothing else may draw from the cipher's
// generator between construction and end().
struct Writer {
    std::vector<uint8_t> out;    // the archive's bytes
    std::vector<uint8_t> plain;  // every block of the stream in clear
    quill::Secrets s;

    // The same start as the encryption driver's: the key derivation seeds
    // the generator that Rangou draws from.
    Writer() {
        const Agreement &a = agreement();
        out.assign(a.image, a.image + sizeof a.image);
        std::memcpy(s.shared, a.shared, sizeof a.shared);
        quill::start_stream(&s, a.image);
    }

    // Bytes in whole blocks, the last one padded with zeros.
    void blocks(const void *data, size_t bytes) {
        constexpr size_t kBlock = quill::layout::kBlockBytes;
        const auto *p = static_cast<const unsigned char *>(data);
        for (size_t at = 0; at < bytes; at += kBlock) {
            unsigned char block[kBlock] = {};
            std::memcpy(block, p + at, bytes - at < kBlock ? bytes - at : kBlock);
            plain.insert(plain.end(), block, block + kBlock);
            Rangou(block, s.chain, s.key);
            out.insert(out.end(), block, block + kBlock);
        }
    }
    void words(const uint32_t *w) {
        unsigned char block[quill::layout::kBlockBytes];
        quill::layout::store_words(w, block);
        blocks(block, sizeof block);
    }

    // A trailer's worth of clear zero bytes, as a signed archive ends (the
    // signature does not verify). A reader deciphers them as blocks of the
    // stream too; what it gets joins the clear text.
    void end() {
        for (size_t i = 0; i < quill::kTrailerBytes / quill::layout::kBlockBytes; i++) {
            unsigned char block[quill::layout::kBlockBytes] = {};
            out.insert(out.end(), block, block + sizeof block);
            Rfukugou(block, s.chain, s.key, s.inv);
            plain.insert(plain.end(), block, block + sizeof block);
        }
    }
};

inline std::string deflated(const std::string &data) {
    uLongf length = compressBound(uLong(data.size()));
    std::string out(length, '\0');
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &length,
                  reinterpret_cast<const Bytef *>(data.data()), uLong(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        std::abort();
    out.resize(length);
    return out;
}

}  // namespace fuzz

#endif
