// The two key files and how every reader loads them.
//
// Public key file: the Base64 text (encode64) of the 160-byte image of the
// public key y = x^d: three lines of 64 characters and one of 24 ending in
// "==", each followed by CR LF, 224 bytes. Secret key file: the Base64 text
// of the 192-byte secret key record, four lines of 64 characters with CR LF,
// 264 bytes. Neither has a header; the CR LF pairs are bytes of the file.
#ifndef QUILL_KEYFILE_H
#define QUILL_KEYFILE_H

#include <cstddef>
#include <cstdint>

#include "bytes.h"

namespace quill {

// Secret key record: the secret exponent enciphered in five blocks under the
// password block, chained from the password digest; then the digest in clear.
constexpr size_t kRecordBytes = 192;
constexpr size_t kRecordExponent = 0;  // 160 bytes, enciphered
constexpr size_t kRecordDigest = 160;  // 32 bytes, SHA-256 of the password block

// Signature trailer, the last bytes of a signed archive: the hash h as eight
// words H0..H7, then the response s as 40 limbs.
constexpr size_t kTrailerBytes = 192;
constexpr size_t kTrailerHash = 0;       // 32 bytes
constexpr size_t kTrailerResponse = 32;  // 160 bytes

constexpr size_t kPasswordBytes = 160;
constexpr size_t kPublicTextBytes = 224;
constexpr size_t kSecretTextBytes = 264;
// Readers take at most this much text, and decode it into an area of this
// size (the public key's padding decodes to two more zero bytes).
constexpr size_t kPublicReadBytes = 240;
constexpr size_t kSecretReadBytes = 288;
constexpr size_t kPublicAreaBytes = 164;
constexpr size_t kSecretAreaBytes = 196;

// The 160-byte image of a 40-limb number: limb 0 first, every limb least
// significant byte first. Key files, records, trailers and hashed values all
// hold numbers in this form.
constexpr size_t kNumBytes = 160;
inline void store_num(unsigned char *out, const uint32_t *n) {
    for (size_t i = 0; i < kNumBytes / 4; i++) store32_le(out + 4 * i, n[i]);
}
inline void load_num(uint32_t *n, const unsigned char *in) {
    for (size_t i = 0; i < kNumBytes / 4; i++) n[i] = load32_le(in + 4 * i);
}

// A fresh secret exponent (a secret key or a per-signature exponent): 160
// bytes from ransuu_tane with bit 1279 cleared. 0 drawn; 1 the random source
// failed and e is untouched.
int random_exponent(uint32_t *e);

// True when y can be someone's public key: a reduced element (bit 1279
// clear) other than 0 and 1.
bool public_key_valid(const uint32_t *y);

// Loads the public key y (40 limbs). 0 loaded; 1 the file cannot be opened
// or is no regular file, its text does not decode into the area or is
// shorter than a whole key (a file cut short), or the value is no valid
// public key (an empty or zeroed file gives 0).
int load_public_key(const char *path, uint32_t *y);
// Loads the secret key record (kRecordBytes). 0 loaded; 1 the file cannot be
// opened or is no regular file, or its text does not decode into the area.
int load_secret_record(const char *path, unsigned char *record);
// Loads the record and unlocks the secret exponent d (40 limbs) with the
// password block. 0 done; 1 the file cannot be loaded. A wrong password gives
// a wrong d, not an error.
int load_secret_exponent(const char *path, const unsigned char *password, uint32_t *d);

}  // namespace quill

#endif
