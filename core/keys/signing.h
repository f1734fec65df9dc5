// Signing an archive whose body has been hashed as it was written, so that
// the archive need not be read back.
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

}  // namespace quill

#endif
