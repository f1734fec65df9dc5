// A file's SHA-256 value in the desktop program's three forms: the usual
// lower-case hexadecimal, the Base64 fingerprint of a public key file, and
// the password of 43 characters made from a file.
#ifndef QUILLSEAL_DIGEST_H
#define QUILLSEAL_DIGEST_H

#include <cstdint>
#include <string>

#include "digest_text.h"
#include "quillcore.h"

struct Digest {
    uint32_t words[QUILL_SHA_WORDS] = {};  // H0..H7, each in the machine's byte order
    ~Digest();
};

struct FilePassword {
    char text[rules::kFilePasswordChars + 1] = {};
    ~FilePassword();
};

// The digest of the file; false after saying that it cannot be read.
bool file_digest(const std::string &path, Digest *digest);
// The words first to last, each most significant digit first.
std::string digest_hex(const Digest &digest);
// The Base64 text of the digest (rules.h): 44 characters.
std::string digest_base64(const Digest &digest);
// The password made from a file; false after saying that it cannot be read.
bool password_from_file(const std::string &path, FilePassword *password);

#endif
