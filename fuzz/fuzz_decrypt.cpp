// The whole decryption of an arbitrary archive: selection, signature check,
// key agreement and every entry restored, with prompts answered. Nothing may
// be written outside the archive's own scratch folder.
#include <cstddef>
#include <cstdint>

#include "common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The first byte also picks where the conflict answers start, so that
    // yes, no and cancel each meet the first conflict.
    const unsigned first_answer = size != 0 ? data[0] : 0;
    fuzz::decrypt_in_scratch(data, size, first_answer);
    return 0;
}
