// The jobs bench/compare times beside the command-line program, each as a
// process of its own:
//   quill_job floor BYTES        the chained cipher rounds alone over as many
//                                blocks as BYTES hold: the floor of encryption
//   quill_job fukugouka SECRET PUBLIC PASSWORD_FILE ARCHIVE
//                                the desktop program's decryption: signature
//                                check, then deciphering beside the archive
//   quill_job deflate IN OUT     zlib's deflate at level 6 (the library's), on
//                                one thread
//   quill_job inflate IN         zlib's inflate, the output dropped
//   quill_job threads            the threads the library's compression uses
//   quill_job cpu                the processor path the library takes
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cpu.h"
#include "engine/compressor.h"
#include "quillcore.h"
#include "symmetric/cipher.h"
#include "symmetric/random.h"

namespace {

int floor_job(unsigned long long bytes) {
    unsigned char material[160];
    for (int i = 0; i < 160; i++) material[i] = static_cast<unsigned char>(i * 31 + 7);
    uint32_t key[40], inv[40];
    kagikazusakusei(material, key, inv);
    quill::cipher::Schedule s;
    quill::cipher::load_schedule(key, inv, &s);
    // One chunk and its keystream, enciphered over and over: only the rounds
    // and their whitening count.
    const size_t chunk_blocks = 8192;
    std::vector<unsigned char> data(chunk_blocks * 32, 0x5A);
    std::vector<uint64_t> stream(chunk_blocks * 4);
    quill::cipher::draw_stream(quill::active_generator(), stream.data(), chunk_blocks);
    unsigned char chain[32] = {};
    for (unsigned long long left = bytes / 32; left != 0;) {
        const size_t n = left < chunk_blocks ? size_t(left) : chunk_blocks;
        quill::cipher::encipher(data.data(), n, chain, s, stream.data());
        left -= n;
    }
    std::printf("%02x\n", chain[0]);
    return 0;
}

int fukugouka_job(const char *secret, const char *pub, const char *password_file,
                  const char *archive) {
    unsigned char password[160] = {};
    std::FILE *f = std::fopen(password_file, "rb");
    if (!f || !std::fgets(reinterpret_cast<char *>(password), 159, f)) return 1;
    std::fclose(f);
    password[std::strcspn(reinterpret_cast<char *>(password), "\r\n")] = 0;
    file_get(0, archive);
    return fukugouka(secret, password, pub);
}

// Runs the whole file through zlib; out (when given) receives the stream.
int zlib_job(bool compress, const char *in_path, const char *out_path) {
    std::FILE *in = std::fopen(in_path, "rb");
    std::FILE *out = out_path ? std::fopen(out_path, "wb") : nullptr;
    if (!in || (out_path && !out)) return 1;
    z_stream z{};
    if ((compress ? deflateInit(&z, 6) : inflateInit(&z)) != Z_OK) return 1;
    std::vector<unsigned char> buf(1 << 16), piece(1 << 16);
    int rc = Z_OK;
    for (bool last = false; rc != Z_STREAM_END;) {
        if (z.avail_in == 0 && !last) {
            z.avail_in = uInt(std::fread(buf.data(), 1, buf.size(), in));
            z.next_in = buf.data();
            last = z.avail_in == 0;
        }
        z.next_out = piece.data();
        z.avail_out = uInt(piece.size());
        rc = compress ? deflate(&z, last ? Z_FINISH : Z_NO_FLUSH) : inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return 1;
        const size_t made = piece.size() - z.avail_out;
        if (out && std::fwrite(piece.data(), 1, made, out) != made) return 1;
        if (!compress && last && rc != Z_STREAM_END) return 1;
    }
    compress ? deflateEnd(&z) : inflateEnd(&z);
    std::fclose(in);
    return out && std::fclose(out) != 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "floor") == 0)
        return floor_job(std::strtoull(argv[2], nullptr, 10));
    if (argc == 6 && std::strcmp(argv[1], "fukugouka") == 0)
        return fukugouka_job(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 4 && std::strcmp(argv[1], "deflate") == 0) return zlib_job(true, argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "inflate") == 0) return zlib_job(false, argv[2], nullptr);
    if (argc == 2 && std::strcmp(argv[1], "threads") == 0) {
        std::printf("%zu\n", quill::compression_threads());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "cpu") == 0) {
        std::printf("%s\n", quill::cpu::level());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: quill_job floor BYTES | fukugouka SECRET PUBLIC PASSWORD_FILE ARCHIVE | "
                 "deflate IN OUT | inflate IN | threads | cpu\n");
    return 64;
}
