// Base64 decoding and the key-file readers. The input is the text itself:
// decode64 on it, the bounded decoder with canaries after the area, and the
// input as a secret and as a public key file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common.h"
#include "symmetric/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);  // ends in a NUL
    const size_t length = std::strlen(text.c_str());
    // What a successful decode writes: three bytes per four characters other
    // than CR and LF.
    size_t characters = 0;
    for (size_t i = 0; i < length; i++) characters += text[i] != '\r' && text[i] != '\n';
    const size_t decoded = characters / 4 * 3;

    // Every group of four characters writes three bytes: the area for the
    // text is exactly what decode64 may write, and ASan watches its end.
    std::vector<unsigned char> out(decoded);
    const int32_t unbounded = decode64(text.c_str(), out.data());

    // The bounded decoder with a capacity the input chooses must never write
    // at or past it, and must agree with decode64 whenever the text fits.
    const size_t capacity = size != 0 ? data[0] % 200 : 0;
    std::vector<unsigned char> area(capacity + 16, 0xA5);
    const int32_t bounded = quill::decode64_bounded(text.c_str(), area.data(), capacity);
    for (size_t i = capacity; i < area.size(); i++)
        if (area[i] != 0xA5) std::abort();
    if (decoded <= capacity && bounded != unbounded) std::abort();
    if (decoded > capacity && bounded == 0) std::abort();
    if (bounded == 0 && decoded != 0 && std::memcmp(area.data(), out.data(), decoded) != 0)
        std::abort();

    // The same text as a key file: the readers take a prefix of it.
    static const std::string key = fuzz::work_dir() + "/input.key";
    static const std::string archive = [] {
        // Any file long enough to carry a trailer lets the check reach the
        // public key reader.
        const std::string path = fuzz::work_dir() + "/signed.velm";
        const std::vector<uint8_t> bytes(400, 0x5A);
        fuzz::write_file(path, bytes.data(), bytes.size());
        return path;
    }();
    fuzz::write_file(key, data, size);
    const int32_t checked = password_check(key.c_str(), fuzz::password());
    if (checked != 0 && checked != 1) std::abort();
    const int32_t verified = syomei_kakunin(archive.c_str(), key.c_str());
    if (verified != 0 && verified != -1 && verified != 1) std::abort();
    return 0;
}
