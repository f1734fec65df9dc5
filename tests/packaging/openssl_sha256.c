/* A program of both OpenSSL's libcrypto and the quill library, whichever
 * comes first on its link line: OpenSSL's SHA256 gives OpenSSL's digest of
 * "abc", and the quill library, which hashes with a SHA-256 of its own under
 * the same name, makes a key pair in FOLDER and gives the fingerprint of its
 * public key file that OpenSSL's digest of the file's bytes makes (each word
 * of the digest least significant byte first, in Base64).
 *
 *   openssl_sha256 FOLDER
 */
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <quill.h>
#include <stdio.h>
#include <string.h>

static int fail(const char *what) {
    fprintf(stderr, "FAIL: %s\n", what);
    return 1;
}

int main(int argc, char **argv) {
    if (argc != 2) return fail("usage: openssl_sha256 FOLDER");
    /* FIPS 180-2, appendix B.1 */
    static const unsigned char abc[SHA256_DIGEST_LENGTH] = {
        0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
        0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
        0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256((const unsigned char *)"abc", 3, digest);
    if (memcmp(digest, abc, sizeof digest) != 0) return fail("SHA256 is not OpenSSL's");

    char secret[4096], public[4096];
    snprintf(secret, sizeof secret, "%s/bob.velh", argv[1]);
    snprintf(public, sizeof public, "%s/bob.velk", argv[1]);
    quill_ctx *ctx = quill_ctx_new();
    char fingerprint[QUILL_FINGERPRINT_SIZE];
    if (!ctx || quill_keypair_create(ctx, secret, public, "correct horse battery") != QUILL_OK ||
        quill_public_key(ctx, public, fingerprint) != QUILL_OK) {
        return fail(ctx ? quill_last_failure(ctx)->message : "quill_ctx_new");
    }
    quill_ctx_free(ctx);

    unsigned char key[512];
    FILE *f = fopen(public, "rb");
    size_t size = f ? fread(key, 1, sizeof key, f) : 0;
    if (f) fclose(f);
    SHA256(key, size, digest);
    unsigned char swapped[SHA256_DIGEST_LENGTH], expected[QUILL_FINGERPRINT_SIZE];
    for (int i = 0; i < SHA256_DIGEST_LENGTH; i++) swapped[i] = digest[i ^ 3];
    EVP_EncodeBlock(expected, swapped, SHA256_DIGEST_LENGTH);
    if (strcmp(fingerprint, (const char *)expected) != 0) {
        return fail("the quill library's fingerprint is not the SHA-256 of the key file");
    }
    printf("SHA256 is OpenSSL's; the quill library hashes with its own\n");
    return 0;
}
