// The whole decryption of an arbitrary archive: selection, signature check,
// key agreement and every entry restored, with prompts answered. Nothing may
// be written outside the archive's own scratch folder, the archive must stay
// as it was, and no more bytes may be restored than its headers state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common.h"
#include "format/layout.h"
#include "format/stream.h"
#include "keys/keyfile.h"
#include "stated.h"

namespace {

using quill::layout::kBlockBytes;
using quill::layout::kPublicValueBytes;

// The input's block stream in clear: every whole block after the public
// value, deciphered with the committed secret key as a reader starts and
// continues the stream. Each block deciphers the same whatever a reader takes
// it for, so the headers found in it are the ones the library meets, without
// asking the library which it read. (No bound from the archive's size alone
// would do: a few hundred bytes of zlib stream stand for megabytes.)
std::vector<unsigned char> deciphered(const uint8_t *data, size_t size) {
    static const struct Exponent {
        uint32_t d[QUILL_LIMBS];
        Exponent() {
            if (quill::load_secret_exponent(fuzz::secret_key().c_str(), fuzz::password(), d) != 0)
                std::abort();
        }
    } secret;
    if (size < kPublicValueBytes) return {};
    quill::Secrets s;
    uint32_t ephemeral[QUILL_LIMBS];
    quill::load_num(ephemeral, data);
    fx_enujyou(ephemeral, secret.d, s.shared);
    quill::start_stream(&s, data);
    const size_t blocks = (size - kPublicValueBytes) / kBlockBytes;
    std::vector<unsigned char> plain(data + kPublicValueBytes,
                                     data + kPublicValueBytes + blocks * kBlockBytes);
    for (size_t i = 0; i < blocks; i++)
        Rfukugou(plain.data() + i * kBlockBytes, s.chain, s.key, s.inv);
    return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The first byte also picks where the conflict answers start, so that
    // yes, no and cancel each meet the first conflict.
    const unsigned first_answer = size != 0 ? data[0] : 0;
    const auto stated = [&] {
        const std::vector<unsigned char> plain = deciphered(data, size);
        return fuzz::stated_bytes(plain.data(), plain.size() / kBlockBytes);
    };
    fuzz::decrypt_in_scratch(data, size, first_answer, stated);
    return 0;
}
