// Writes the seed corpora of the fuzz targets from what the library itself
// makes: key files, and archives encrypted and signed with the committed key
// pair (so that the decrypting targets start from inputs that get past the
// first header).
//
//   make_seeds OUT      seeds into OUT/base64, OUT/signature, OUT/decrypt and
//                       OUT/structured
//   make_seeds --keys   a new key pair in place of fuzz/keys (seed archives
//                       made before then no longer decrypt)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common.h"
#include "format/layout.h"
#include "writer.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> read_all(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const std::string &path, const std::string &text) {
    fuzz::write_file(path, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

void copy(const std::string &from, const std::string &to) {
    const std::vector<uint8_t> bytes = read_all(from);
    fuzz::write_file(to, bytes.data(), bytes.size());
}

// Encrypts item (a file or a folder) with the committed keys and stores the
// archive as seed. False when the library fails.
bool archive_seed(const std::string &item, int compress, const std::string &seed) {
    if (file_get(0, item.c_str()) < 0) return false;
    if (angouka(fuzz::secret_key().c_str(), fuzz::password(), fuzz::public_key().c_str(),
                compress) != 0) {
        std::fprintf(stderr, "make_seeds: encrypting %s failed\n", item.c_str());
        return false;
    }
    copy(item + ".velm", seed);
    fs::remove(item + ".velm");
    return true;
}

// One entry in the input format of fuzz_structured (flags, the size words
// when flags bit 3 asks for them, name, data).
std::string entry(uint8_t flags, const std::string &name, const std::string &data,
                  uint64_t size = 0) {
    std::string s(1, char(flags));
    if (flags & 8)
        for (int i = 0; i < 8; i++) s += char(size >> (8 * i));
    s += char(name.size());
    s += name;
    s += char(data.size() & 0xFF);
    s += char(data.size() >> 8);
    s += data;
    return s;
}

// An archive of one compressed file entry whose header states size bytes and
// whose zlib stream holds contents, then a plain stored entry.
std::string compressed_archive(uint64_t size, const std::string &contents) {
    namespace l = quill::layout;
    fuzz::Writer w;
    const std::string name = "big";
    uint32_t header[l::kBlockWords] = {uint32_t(size), uint32_t(size >> 32),
                                       uint32_t(name.size() + 1)};
    header[l::kKind] = l::kKindCompressed;
    uint32_t times[l::kBlockWords] = {};
    times[l::kAttributes] = quill::plat::kAttrArchive;
    w.words(header);
    w.words(times);
    w.blocks(name.c_str(), name.size() + 1);
    const std::string stream = fuzz::deflated(contents);
    w.blocks(stream.data(), stream.size());
    const std::string after = "after";
    const std::string text = "the entry after\n";
    const uint32_t stored[l::kBlockWords] = {uint32_t(text.size()), 0, uint32_t(after.size() + 1)};
    w.words(stored);
    w.words(times);
    w.blocks(after.c_str(), after.size() + 1);
    w.blocks(text.data(), text.size());
    w.end();
    return std::string(w.out.begin(), w.out.end());
}

}  // namespace

int main(int argc, char **argv) {
    msgbox_set(fuzz::answer);
    if (argc == 2 && std::strcmp(argv[1], "--keys") == 0) {
        return kagisakusei(fuzz::secret_key().c_str(), fuzz::public_key().c_str(),
                           fuzz::password());
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUT | make_seeds --keys\n");
        return 2;
    }
    const std::string out = argv[1];
    for (const char *target : {"base64", "signature", "decrypt", "structured"})
        fs::create_directories(out + "/" + target);

    // Key files, a hash shown as Base64, and damaged texts near the valid ones.
    copy(fuzz::public_key(), out + "/base64/public.velk");
    copy(fuzz::secret_key(), out + "/base64/secret.velh");
    put(out + "/base64/short", "QUJD\r\nREVG==\r\n");
    put(out + "/base64/stray", "QUJ*\r\n");

    // Source trees: one file, and a folder with a subfolder and an empty file.
    const std::string src = fuzz::work_dir();
    const std::string text(300, 'q');
    put(src + "/note.txt", "quillseal fuzz seed\n");
    fs::create_directories(src + "/tree/sub");
    put(src + "/tree/a.txt", text);
    put(src + "/tree/sub/empty", "");
    put(src + "/tree/sub/b.bin", std::string("\x00\x01\x02\xff", 4));

    bool ok = archive_seed(src + "/note.txt", 0, out + "/decrypt/file-stored.velm") &&
              archive_seed(src + "/note.txt", 1, out + "/decrypt/file-compressed.velm") &&
              archive_seed(src + "/tree", 0, out + "/decrypt/tree-stored.velm") &&
              archive_seed(src + "/tree", 1, out + "/decrypt/tree-compressed.velm");
    if (!ok) return 1;
    // Signed archives are also the signature target's seeds.
    for (const char *name : {"file-stored.velm", "tree-compressed.velm"})
        copy(out + "/decrypt/" + name, out + "/signature/" + name);

    // Structured inputs: a folder, files inside it, deflated and stored.
    put(out + "/structured/tree", entry(1, "d", "") + entry(0, "d\\f.txt", "hello") +
                                      entry(6, "d\\z.bin", text) + entry(0, "empty", ""));
    put(out + "/structured/plain",
        entry(1, "docs", "") + entry(0, "a1", "hello") + entry(6, "b2", text));
    put(out + "/structured/one", entry(0, "one.txt", "contents of one file\n"));
    // Compressed entries whose zlib streams (written as they are: kind 2,
    // not deflated by the target) inflate to far more, and to less, than
    // their headers state.
    const std::string zeros(100 * 1024, '\0');
    put(out + "/structured/overlong",
        entry(2 | 8, "big", fuzz::deflated(zeros), 10) + entry(0, "after", "the entry after\n"));
    put(out + "/structured/short", entry(2 | 8, "short", fuzz::deflated("a few bytes\n"), 5000) +
                                       entry(0, "after", "the entry after\n"));
    // A file entry named for the archive itself through a "." component; the
    // final 0 answers the conflict prompt with yes (overwrite).
    put(out + "/structured/own-name", entry(0, ".\\input.velm", std::string("replaced\0", 9)));
    // The over-long and the short entry as archives for the decrypting target.
    put(out + "/decrypt/overlong.velm", compressed_archive(10, zeros));
    put(out + "/decrypt/short.velm", compressed_archive(5000, "a few bytes\n"));
    return 0;
}
