// Signatures over archives, and the tamper check.
//
// With secret exponent d, public key y = x^d and a fresh exponent k, the
// signature of an archive body is h = SHA-256(body, image of R = x^k) and
// s = k - d*h mod 2^1279 - 1. The checker rebuilds R as x^s * y^h, which is
// x^k only for the signer's y, and hashes the body again: h comes out the
// same only when neither the body nor the trailer was changed.
//
// The trailer (h, then s) is appended after the body has been signed, so the
// length signed and the length checked (file length minus the trailer) are
// the same number. Lengths are 64-bit throughout.
#include <cstring>

#include "keys/keyfile.h"
#include "keys/signing.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"
#include "symmetric/sha256.h"

namespace {

constexpr size_t kLimbs = QUILL_LIMBS;
constexpr size_t kHashWords = QUILL_SHA_WORDS;
constexpr size_t kHashBytes = kHashWords * 4;
constexpr size_t kResponseBytes = quill::kTrailerBytes - quill::kTrailerResponse;
static_assert(quill::kTrailerResponse == quill::kTrailerHash + kHashBytes, "h, then s");
static_assert(kResponseBytes == quill::kNumBytes, "s fills the rest of the trailer");

}  // namespace

namespace quill {

int sign_body(const char *secret_path, const unsigned char *password, Sha256 *body, uint32_t *h,
              uint32_t *s) {
    // The password is not tested here (the caller has done so); a wrong one
    // gives a wrong d and a signature that no check accepts.
    uint32_t d[kLimbs];
    if (load_secret_exponent(secret_path, password, d) != 0) return 1;

    int32_t result = 1;
    uint32_t k[kLimbs];
    if (random_exponent(k) == 0) {
        uint32_t r[kLimbs];
        x_enujyou(k, r);
        unsigned char image[kNumBytes];
        store_num(image, r);
        sha256_add(body, image, sizeof image);
        sha256_end(body, h);
        seisuu_seki(d, h, s, int32_t(kHashWords));  // d*h, h as an 8-limb number
        seisuu_sa(k, s, s);                         // k - d*h
        result = 0;
        wipe(k, sizeof k);
    }
    wipe(d, sizeof d);
    return result;
}

void store_trailer(unsigned char *trailer, const uint32_t *h, const uint32_t *s) {
    for (size_t i = 0; i < kHashWords; i++) store32_le(trailer + kTrailerHash + 4 * i, h[i]);
    store_num(trailer + kTrailerResponse, s);
}

void load_trailer(const unsigned char *trailer, uint32_t *h, uint32_t *s) {
    for (size_t i = 0; i < kHashWords; i++) h[i] = load32_le(trailer + kTrailerHash + 4 * i);
    load_num(s, trailer + kTrailerResponse);
}

void commitment(const uint32_t *y, const uint32_t *h, const uint32_t *s, unsigned char *image) {
    // R' = x^s * y^h, h zero-extended to 40 limbs.
    uint32_t e[kLimbs] = {};
    std::memcpy(e, h, kHashBytes);
    uint32_t r[kLimbs], yh[kLimbs];
    x_enujyou(s, r);
    fx_enujyou(y, e, yh);
    seki(r, yh, r);
    store_num(image, r);
}

bool same_hash(const uint32_t *a, const uint32_t *b) {
    uint32_t diff = 0;
    for (size_t i = 0; i < kHashWords; i++) diff |= a[i] ^ b[i];
    return diff == 0;
}

int verify_body(const uint32_t *y, Sha256 *body, const uint32_t *h, const uint32_t *s) {
    unsigned char image[kNumBytes];
    commitment(y, h, s, image);
    sha256_add(body, image, sizeof image);
    uint32_t again[kHashWords];
    sha256_end(body, again);
    return same_hash(again, h) ? 0 : -1;
}

}  // namespace quill

extern "C" {

int32_t syomeisakusei(const char *secret_path, const unsigned char *password,
                      const char *archive_path, uint32_t *h, uint32_t *s) {
    // The body as it lies on disk, hashed as the writer would have.
    quill::plat::File *file = quill::plat::open_read_shared(archive_path);
    if (!file) return 1;
    quill::Sha256 body;
    quill::sha256_start(&body);
    const bool read = quill::sha256_file(&body, file, UINT64_MAX);
    quill::plat::close(file);
    if (!read) return 1;
    return quill::sign_body(secret_path, password, &body, h, s);
}

int32_t append(const char *archive_path, const uint32_t *h, const uint32_t *s) {
    unsigned char trailer[quill::kTrailerBytes];
    quill::store_trailer(trailer, h, s);
    quill::plat::File *file = quill::plat::open_append(archive_path);
    if (!file) return 1;
    // An incomplete trailer is a failed signature, whatever part is missing.
    const bool written =
        quill::plat::write(file, trailer + quill::kTrailerHash, kHashBytes) &&
        quill::plat::write(file, trailer + quill::kTrailerResponse, kResponseBytes);
    const bool closed = quill::plat::close(file);
    return written && closed ? 0 : 1;
}

int32_t toridasi(const char *archive_path, uint32_t *h, uint32_t *s) {
    // A file with no room for a trailer has none to read.
    const int64_t length = quill::plat::file_size(archive_path);
    if (length < int64_t(quill::kTrailerBytes)) return 1;
    quill::plat::File *file = quill::plat::open_read_shared(archive_path);
    if (!file) return 1;
    unsigned char trailer[quill::kTrailerBytes];
    const bool read = quill::plat::seek(file, length - int64_t(sizeof trailer)) &&
                      quill::plat::read_exact(file, trailer, sizeof trailer);
    quill::plat::close(file);
    if (!read) return 1;
    quill::load_trailer(trailer, h, s);
    return 0;
}

int32_t syomeikakunin(const char *public_path, const char *archive_path, const uint32_t *h,
                      const uint32_t *s) {
    uint32_t y[kLimbs];
    if (quill::load_public_key(public_path, y) != 0) return 1;
    const int64_t length = quill::plat::file_size(archive_path);
    if (length < int64_t(quill::kTrailerBytes)) return 1;

    unsigned char image[quill::kNumBytes];
    quill::commitment(y, h, s, image);
    uint32_t again[kHashWords];
    if (SHA256R(archive_path, length - int64_t(quill::kTrailerBytes), image, again) != 0) return 1;
    return quill::same_hash(again, h) ? 0 : -1;
}

int32_t syomei_kakunin(const char *archive_path, const char *public_path) {
    const int64_t size = quill::plat::file_size(archive_path);
    quill::progress::Scope scope(size > 0 ? uint64_t(size) : 0);
    uint32_t h[kLimbs] = {};
    uint32_t s[kLimbs] = {};
    if (toridasi(archive_path, h, s) != 0) return 1;
    return syomeikakunin(public_path, archive_path, h, s);
}

}  // extern "C"
