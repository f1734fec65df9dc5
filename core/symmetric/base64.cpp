// Base64 text for key files and displayed hash values.
//
// Encoded text has CR LF after every 64 characters and after a padded last
// group. Decoding skips CR and LF anywhere and takes "=" as the value 0
// wherever it stands, so every group of four characters writes three bytes;
// readers size their areas for the padding bytes this produces.
#include "quillcore.h"

#include <cstdint>

#include "symmetric/base64.h"

namespace {

const char base64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Groups of four characters per line of text.
const int line_groups = 16;

// 6-bit value of a character, "=" reading as 0; -1 outside the alphabet.
int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    if (c == '=') return 0;
    return -1;
}

// The one decoder behind decode64 and decode64_bounded; decode64 passes an
// unlimited capacity.
int32_t decode_text(const char *text, unsigned char *out, size_t capacity, size_t *written) {
    char quad[4];
    int held = 0;
    size_t pos = 0;
    for (; *text != '\0'; ++text) {
        if (*text == '\r' || *text == '\n') continue;
        quad[held++] = *text;
        if (held < 4) continue;
        if (capacity - pos < 3) return 1;
        if (decode_str(quad, out + pos) != 0) return 1;
        pos += 3;
        held = 0;
        if (written) *written = pos;
    }
    // A group cut short means the text was truncated or had stray characters.
    return held == 0 ? 0 : 1;
}

}  // namespace

namespace quill {

int32_t decode64_bounded(const char *text, unsigned char *out, size_t capacity, size_t *written) {
    if (written) *written = 0;
    return decode_text(text, out, capacity, written);
}

}  // namespace quill

extern "C" {

void encode_char(uint32_t group, char *out) {
    out[0] = base64[group >> 18 & 0x3f];
    out[1] = base64[group >> 12 & 0x3f];
    out[2] = base64[group >> 6 & 0x3f];
    out[3] = base64[group & 0x3f];
}

int32_t decode_str(const char *in, unsigned char *out) {
    uint32_t group = 0;
    for (int i = 0; i < 4; i++) {
        const int v = sextet(in[i]);
        if (v < 0) return 1;  // nothing written for a bad group
        group = group << 6 | uint32_t(v);
    }
    out[0] = uint8_t(group >> 16);
    out[1] = uint8_t(group >> 8);
    out[2] = uint8_t(group);
    return 0;
}

void encode64(const unsigned char *data, int32_t length, char *out) {
    if (length <= 0) return;
    const size_t n = size_t(length);
    int on_line = 0;
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        encode_char(uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2], out);
        out += 4;
        if (++on_line == line_groups) {
            *out++ = '\r';
            *out++ = '\n';
            on_line = 0;
        }
    }
    const size_t rest = n - i;
    if (rest == 0) return;
    // The missing bytes count as zero; their characters become "=".
    uint32_t group = uint32_t(data[i]) << 16;
    if (rest == 2) group |= uint32_t(data[i + 1]) << 8;
    encode_char(group, out);
    out[3] = '=';
    if (rest == 1) out[2] = '=';
    out[4] = '\r';
    out[5] = '\n';
}

int32_t decode64(const char *text, unsigned char *out) {
    return decode_text(text, out, SIZE_MAX, nullptr);
}

}  // extern "C"
