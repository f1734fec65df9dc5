// Reading and writing the two key files.
//
// Every reader works the same way: at most a fixed number of bytes of text
// into a zeroed area (so the text always ends in a zero byte), then Base64
// into a zeroed area of fixed capacity. The bounded decoder refuses a text
// that would fill more than the area, so a foreign or damaged file can never
// write past it. A public key text shorter than a whole key is no key (a file
// cut short would otherwise stand for a wrong key), and a public key must be
// a value that someone's key pair can have. Apart from that and the password
// check, nothing verifies what was loaded.
#include "keys/keyfile.h"

#include <cstring>

#include "platform/platform.h"
#include "quillcore.h"
#include "symmetric/base64.h"

namespace {

// The largest text a key file holds, with room for its terminating zero.
constexpr size_t kTextArea = quill::kSecretReadBytes + 1;

// Reads at most max_bytes of the file into a zeroed text area and decodes it
// into area (capacity bytes, zeroed here). 0 decoded, at least whole bytes of
// it; 1 the file cannot be opened or read, is no regular file, its text does
// not decode into the area, or it decodes to fewer than whole bytes (a file
// cut short). The text is wiped before returning.
int load_key_text(const char *path, size_t max_bytes, unsigned char *area, size_t capacity,
                  size_t whole) {
    char text[kTextArea];
    std::memset(text, 0, sizeof text);
    std::memset(area, 0, capacity);

    quill::plat::File *file = quill::plat::open_read_shared(path);
    if (!file) return 1;
    // A read error (a failing disk) must not pass as a short, valid text.
    const bool failed = quill::plat::read(file, text, max_bytes) < 0;
    quill::plat::close(file);

    int result = 1;
    size_t decoded = 0;
    if (!failed && quill::decode64_bounded(text, area, capacity, &decoded) == 0 && decoded >= whole)
        result = 0;
    quill::wipe(text, sizeof text);
    return result;
}

}  // namespace

namespace quill {

bool public_key_valid(const uint32_t *y) {
    // Every key is a reduced element: its bit 1279 is clear. A value with it
    // set would reduce to another element, perhaps 0 or 1.
    if (y[QUILL_LIMBS - 1] & 0x80000000u) return false;
    // 0 and 1 are no one's key: every power of them is known, so an archive
    // made for them (an empty or zeroed file decodes to 0) could be opened by
    // anyone, and a signature checked against them proves nothing.
    bool degenerate = y[0] <= 1;
    for (int i = 1; i < QUILL_LIMBS && degenerate; i++) degenerate = y[i] == 0;
    return !degenerate;
}

int load_public_key(const char *path, uint32_t *y) {
    unsigned char area[kPublicAreaBytes];
    if (load_key_text(path, kPublicReadBytes, area, sizeof area, kNumBytes) != 0) return 1;
    // Bytes 160..163 hold the two zero bytes decoded from the padding.
    load_num(y, area);
    return public_key_valid(y) ? 0 : 1;
}

int load_secret_record(const char *path, unsigned char *record) {
    unsigned char area[kSecretAreaBytes];
    // A record is not checked for length: the password check, which every
    // caller runs first, refuses a short one (its digest reads as zeros).
    const int result = load_key_text(path, kSecretReadBytes, area, sizeof area, 0);
    if (result == 0) std::memcpy(record, area, kRecordBytes);
    wipe(area, sizeof area);
    return result;
}

int load_secret_exponent(const char *path, const unsigned char *password, uint32_t *d) {
    unsigned char record[kRecordBytes];
    if (load_secret_record(path, record) != 0) return 1;
    himitukagifukugou(record, password);
    load_num(d, record + kRecordExponent);
    wipe(record, sizeof record);
    return 0;
}

}  // namespace quill
