// A file's SHA-256 value as both programs show it in Base64: the
// fingerprint of a public key file, and the password made from a file.
#ifndef QUILL_COMMON_DIGEST_TEXT_H
#define QUILL_COMMON_DIGEST_TEXT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "quillcore.h"

namespace rules {

// The first 43 characters of the Base64 text of the file's SHA-256 value,
// its eight words each least significant byte first (the fingerprint's
// bytes): the same file always gives the same password.
constexpr size_t kFilePasswordChars = 43;
// Base64 of the 32 bytes: 44 characters, CR LF and the zero filling.
constexpr size_t kDigestTextBytes = 50;

// The digest's Base64 text (fingerprint) into text[kDigestTextBytes].
inline void digest_text(const uint32_t *words, char *text) {
    std::memset(text, 0, kDigestTextBytes);
    unsigned char bytes[4 * QUILL_SHA_WORDS];
    for (size_t i = 0; i < QUILL_SHA_WORDS; i++)
        for (size_t b = 0; b < 4; b++)
            bytes[4 * i + b] = static_cast<unsigned char>(words[i] >> (8 * b));
    encode64(bytes, int32_t(sizeof bytes), text);
}

}  // namespace rules

#endif
