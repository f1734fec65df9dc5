// The causes: what the operating system says when the file is opened, then
// what its first bytes show.
#include "causes.h"

#include <cstring>

#include "core/keys/keyfile.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

namespace {

// The library's key reader: it reads at most the first read_bytes of the
// file, takes the text up to a NUL, and decodes it (CR and LF skipped) into
// an area of area_bytes; the text must fill at least whole_bytes. A public
// key's value must also be an element other than 0 and 1 (bit 1279 clear).
struct KeyShape {
    size_t read_bytes, area_bytes, whole_bytes;
};
constexpr KeyShape kPublicShape = {quill::kPublicReadBytes, quill::kPublicAreaBytes,
                                   quill::kNumBytes};
constexpr KeyShape kSecretShape = {quill::kSecretReadBytes, quill::kSecretAreaBytes,
                                   quill::kRecordBytes};
using quill::kNumBytes;
// A signed archive ends in its signature.
using quill::kTrailerBytes;

bool public_value_valid(const unsigned char *y) {
    if (y[kNumBytes - 1] & 0x80) return false;
    bool zero_above = true;
    for (size_t i = 1; i < kNumBytes; i++) zero_above = zero_above && y[i] == 0;
    return !(zero_above && y[0] <= 1);
}

bool key_text(const char *text, const KeyShape &shape, bool is_public) {
    size_t chars = 0;
    for (const char *c = text; *c; c++) chars += *c != '\r' && *c != '\n';
    // Three bytes for each whole group of four characters, none cut short.
    const size_t bytes = chars / 4 * 3;
    if (chars % 4 != 0 || bytes < shape.whole_bytes || bytes > shape.area_bytes) return false;
    unsigned char area[kSecretShape.area_bytes] = {};
    const bool decoded = decode64(text, area) == 0;
    const bool valid = decoded && (!is_public || public_value_valid(area));
    std::memset(area, 0, sizeof area);
    return valid;
}

const char *opening_cause(sys::Readable r) {
    switch (r) {
        case sys::kReads:
            return nullptr;
        case sys::kNoSuchFile:
            return text::kIsMissing;
        case sys::kIsFolder:
            return text::kIsFolder;
        case sys::kNotRegular:
            return text::kIsNotFile;
        case sys::kDenied:
            return text::kIsDenied;
        case sys::kInUse:
            return text::kIsInUse;
        case sys::kUnreadable:
            break;
    }
    return text::kIsUnreadable;
}

}  // namespace

const char *unusable(const std::string &path, Use use) {
    const bool is_key = use == Use::kPublicKey || use == Use::kSecretKey;
    const KeyShape &shape = use == Use::kPublicKey ? kPublicShape : kSecretShape;
    // The first bytes come from the same opening that says whether the file
    // reads: one open, never a blocking one.
    char start[kSecretShape.read_bytes + 1] = {};
    const size_t want = is_key ? shape.read_bytes : use == Use::kSigned ? kTrailerBytes : 0;
    size_t got = 0;
    const char *cause = opening_cause(sys::readable(path, start, want, &got));
    if (!cause && use == Use::kSigned && got < kTrailerBytes) cause = text::kIsUnsigned;
    if (!cause && is_key && !key_text(start, shape, use == Use::kPublicKey))
        cause = use == Use::kPublicKey ? text::kIsNotPublicKey : text::kIsNotSecretKey;
    sys::wipe(start, sizeof start);
    return cause;
}
