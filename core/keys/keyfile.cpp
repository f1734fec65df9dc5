// Reading and writing the two key files.
//
// Every reader works the same way: at most a fixed number of bytes of text
// into a zeroed area (so the text always ends in a zero byte), then Base64
// into a zeroed area of fixed capacity. The bounded decoder refuses a text
// that would fill more than the area, so a foreign or damaged file can never
// write past it. Apart from the password check nothing verifies what was
// loaded: any text that decodes is taken as a key.
#include "keys/keyfile.h"

#include <cstdio>
#include <cstring>

#include "quillcore.h"
#include "symmetric/base64.h"

namespace {

// The largest text a key file holds, with room for its terminating zero.
constexpr size_t kTextArea = quill::kSecretReadBytes + 1;

// Reads at most max_bytes of the file into text (max_bytes + 1 bytes, zeroed
// here) and decodes it into area (capacity bytes, zeroed here). 0 decoded;
// 1 the file cannot be opened or read, or the text does not decode into the
// area. The text is wiped before returning.
int load_key_text(const char *path, size_t max_bytes, unsigned char *area, size_t capacity) {
    char text[kTextArea];
    std::memset(text, 0, sizeof text);
    std::memset(area, 0, capacity);

    std::FILE *file = std::fopen(path, "rb");
    if (!file) return 1;
    const size_t got = std::fread(text, 1, max_bytes, file);
    // A read error (a folder given as the file, a failing disk) must not pass
    // as a short, valid text.
    const bool failed = got < max_bytes && std::ferror(file) != 0;
    std::fclose(file);

    int result = 1;
    if (!failed) result = quill::decode64_bounded(text, area, capacity) == 0 ? 0 : 1;
    quill::wipe(text, sizeof text);
    return result;
}

}  // namespace

namespace quill {

int store_key_text(const char *path, const unsigned char *data, size_t bytes) {
    // The text area holds the text of a record (264 characters) and its end.
    if (bytes > kRecordBytes) return 1;
    // encode64 writes no terminating zero; the zeroed area provides it.
    char text[kTextArea];
    std::memset(text, 0, sizeof text);
    encode64(data, int32_t(bytes), text);
    const size_t length = std::strlen(text);

    int result = 1;
    std::FILE *file = std::fopen(path, "wb");
    if (file) {
        const bool written = std::fwrite(text, 1, length, file) == length;
        // The close flushes the buffered text; its failure is a failed write.
        const bool closed = std::fclose(file) == 0;
        result = written && closed ? 0 : 1;
    }
    wipe(text, sizeof text);
    return result;
}

int load_public_key(const char *path, uint32_t *y) {
    unsigned char area[kPublicAreaBytes];
    if (load_key_text(path, kPublicReadBytes, area, sizeof area) != 0) return 1;
    // Bytes 160..163 hold the two zero bytes decoded from the padding.
    load_num(y, area);
    // 0 and 1 are no one's key: every power of them is known, so an archive
    // made for them (an empty or zeroed file decodes to 0) could be opened by
    // anyone, and a signature checked against them proves nothing.
    bool degenerate = y[0] <= 1;
    for (int i = 1; i < QUILL_LIMBS && degenerate; i++) degenerate = y[i] == 0;
    return degenerate ? 1 : 0;
}

int load_secret_record(const char *path, unsigned char *record) {
    unsigned char area[kSecretAreaBytes];
    const int result = load_key_text(path, kSecretReadBytes, area, sizeof area);
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
