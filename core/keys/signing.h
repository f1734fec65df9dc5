// Signing an archive whose body has been hashed as it was written, and
// checking one hashed as it was read, so that no archive is read twice.
#ifndef QUILL_SIGNING_H
#define QUILL_SIGNING_H

#include <cstdint>

#include "symmetric/sha256.h"

namespace quill {

// The signature over the body hashed so far in body (which then takes the
// commitment and is finished): h (8 words) and s (40 limbs), as
// syomeisakusei makes them. 0 signed; 1 the secret key file cannot be loaded
// or the random source failed.
int sign_body(const char *secret_path, const unsigned char *password, Sha256 *body, uint32_t *h,
              uint32_t *s);

// The 192-byte trailer (keyfile.h) of a signature (h, s), and back; h has 8
// words, s 40 limbs.
void store_trailer(unsigned char *trailer, const uint32_t *h, const uint32_t *s);
void load_trailer(const unsigned char *trailer, uint32_t *h, uint32_t *s);

// The commitment R' = x^s y^h that a genuine signature (h, s) under the
// public key y reproduces, as its 160-byte image.
void commitment(const uint32_t *y, const uint32_t *h, const uint32_t *s, unsigned char *image);
// The eight words of two hash values equal, all compared.
bool same_hash(const uint32_t *a, const uint32_t *b);
// Checks the signature (h, s) of a body hashed so far in body (which then
// takes the commitment and is finished) under y. 0 valid; -1 it does not
// match.
int verify_body(const uint32_t *y, Sha256 *body, const uint32_t *h, const uint32_t *s);

}  // namespace quill

#endif
