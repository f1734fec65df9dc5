// The signature check on arbitrary archive bytes with the fixed public key:
// trailer extraction, the hash over the rest of the file and the check
// equation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string archive = fuzz::work_dir() + "/input.velm";
    fuzz::write_file(archive, data, size);
    const int32_t result = syomei_kakunin(archive.c_str(), fuzz::public_key().c_str());
    if (result != 0 && result != -1 && result != 1) std::abort();
    // Shorter than a trailer: there is nothing to check, so it must be an error.
    if (size < 192 && result != 1) std::abort();
    return 0;
}
