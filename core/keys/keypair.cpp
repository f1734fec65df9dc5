// Key pairs: creating both key files, locking and unlocking the secret
// exponent with a password block, and testing a password block against a
// secret key file.
//
// The secret exponent d is stored only enciphered: its 160-byte image as five
// blocks under the key schedule derived from the password block, chained from
// the password digest D, which follows in clear. D lets a password be tested
// without deciphering anything.
#include <cstring>

#include "keys/keyfile.h"
#include "keys/pairstore.h"
#include "quillcore.h"

namespace {

constexpr size_t kBlock = QUILL_BLOCK_BYTES;
constexpr size_t kDigestWords = QUILL_SHA_WORDS;
constexpr size_t kDigestBytes = kDigestWords * 4;
constexpr size_t kExponentBlocks = quill::kNumBytes / kBlock;  // 5

// D in its 32-byte form: H0..H7, each least significant byte first.
void password_digest(const unsigned char *password, unsigned char *digest) {
    uint32_t h[kDigestWords];
    SHA256_array(password, uint32_t(quill::kPasswordBytes), h);
    for (size_t i = 0; i < kDigestWords; i++) quill::store32_le(digest + 4 * i, h[i]);
    quill::wipe(h, sizeof h);
}

}  // namespace

namespace quill {

int random_exponent(uint32_t *e) {
    unsigned char fresh[kNumBytes];
    if (ransuu_tane(fresh, int32_t(sizeof fresh)) != 0) return 1;
    load_num(e, fresh);
    e[QUILL_LIMBS - 1] &= 0x7FFFFFFFu;  // below 2^1279
    wipe(fresh, sizeof fresh);
    return 0;
}

}  // namespace quill

extern "C" {

int32_t kagisakusei(const char *secret_path, const char *public_path,
                    const unsigned char *password) {
    uint32_t d[QUILL_LIMBS];
    if (quill::random_exponent(d) != 0) return 1;  // no file touched
    uint32_t y[QUILL_LIMBS];
    x_enujyou(d, y);

    unsigned char record[quill::kRecordBytes];
    quill::store_num(record + quill::kRecordExponent, d);
    quill::wipe(d, sizeof d);
    himitukagiangou(record, password);

    unsigned char image[quill::kNumBytes];
    quill::store_num(image, y);
    // What an earlier creation at these paths left unfinished is settled
    // first; then both files take their places together.
    quill::repair_key_pair(secret_path, public_path);
    const int stored = quill::store_key_pair(secret_path, record, public_path, image);
    quill::wipe(record, sizeof record);
    return stored;
}

int32_t kagi_shuufuku(const char *secret_path, const char *public_path) {
    switch (quill::repair_key_pair(secret_path, public_path)) {
        case quill::kRepairNone:
            return 0;
        case quill::kRepairCompleted:
            return 2;
        case quill::kRepairUndone:
            return 3;
        case quill::kRepairFailed:
            break;
    }
    return 1;
}

void himitukagiangou(unsigned char *record, const unsigned char *password) {
    // The key derivation seeds the generator the cipher draws its keystream
    // from; nothing else may draw from it until the last block is done.
    uint32_t key[QUILL_KEY_WORDS], inv[QUILL_KEY_WORDS];
    kagikazusakusei(password, key, inv);
    unsigned char chain[kDigestBytes];
    password_digest(password, chain);
    std::memcpy(record + quill::kRecordDigest, chain, kDigestBytes);
    for (size_t i = 0; i < kExponentBlocks; i++)
        Rangou(record + quill::kRecordExponent + kBlock * i, chain, key);
    quill::wipe(key, sizeof key);
    quill::wipe(inv, sizeof inv);
    quill::wipe(chain, sizeof chain);
}

void himitukagifukugou(unsigned char *record, const unsigned char *password) {
    // The stored digest is not consulted: a wrong password block yields a
    // wrong exponent, and the signatures made with it fail every check.
    uint32_t key[QUILL_KEY_WORDS], inv[QUILL_KEY_WORDS];
    kagikazusakusei(password, key, inv);
    unsigned char chain[kDigestBytes];
    password_digest(password, chain);
    for (size_t i = 0; i < kExponentBlocks; i++)
        Rfukugou(record + quill::kRecordExponent + kBlock * i, chain, key, inv);
    quill::wipe(key, sizeof key);
    quill::wipe(inv, sizeof inv);
    quill::wipe(chain, sizeof chain);
}

int32_t password_check(const char *secret_path, const unsigned char *password) {
    unsigned char record[quill::kRecordBytes];
    if (quill::load_secret_record(secret_path, record) != 0) return 1;
    unsigned char digest[kDigestBytes];
    password_digest(password, digest);
    // Every byte of the stored digest is compared; a public key file or an
    // empty file leaves zeros there, which no digest equals.
    unsigned char diff = 0;
    for (size_t i = 0; i < kDigestBytes; i++) diff |= digest[i] ^ record[quill::kRecordDigest + i];
    quill::wipe(record, sizeof record);
    quill::wipe(digest, sizeof digest);
    return diff == 0 ? 0 : 1;
}

}  // extern "C"
