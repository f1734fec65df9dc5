// Structure-aware decryption: the input is read as a list of entries, which
// this target enciphers into a real archive for the fixed key pair before
// decrypting it, so that mutations land in deciphered headers, names and
// contents rather than in ciphertext that fails at the first header.
//
// One entry in the input (every field optional: the input may end anywhere):
//   flags        1 byte   bits 0-1: kind word (bit 0 folder, bit 1 compressed)
//                         bit 2: deflate the data (independently of the kind)
//                         bit 3: size words from the input, not the data's
//                         bit 4: name length word from the input
//                         bit 5: the whole kind word from the input
//                         bit 6: times and attribute words from the input
//   [size]       8 bytes  size low, high word (bit 3)
//   [w2]         2 bytes  name length word (bit 4)
//   [kind]       4 bytes  kind word (bit 5)
//   [times]      28 bytes the seven words of the times block (bit 6)
//   name         1 byte n, then n bytes; the name length word is n + 1
//   data         2 bytes n, then n bytes of contents
//
// When every entry is plain (no field taken from the input, the kind word
// matching how the data was stored, names of one component of lower-case
// letters and digits, all different), the archive is one this library could
// have written: decryption must succeed and give back every file unchanged.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "common.h"
#include "format/layout.h"
#include "stated.h"
#include "writer.h"

namespace {

// Takes fields off the front of the input; past its end every field is zero.
struct Reader {
    const uint8_t *p;
    size_t left;
    uint32_t take(size_t bytes) {
        uint32_t v = 0;
        for (size_t i = 0; i < bytes && left != 0; i++, left--) v |= uint32_t(*p++) << (8 * i);
        return v;
    }
    std::string bytes(size_t n) {
        n = n < left ? n : left;
        std::string s(reinterpret_cast<const char *>(p), n);
        p += n;
        left -= n;
        return s;
    }
};

// A name that needs no conversion, cannot climb or nest, and cannot meet
// the archive's own name.
bool plain_name(const std::string &name) {
    if (name.empty() || name.size() > 16) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// Few entries keep each run short; more add nothing the mutator cannot reach.
constexpr int kMaxEntries = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Writer w;
    Reader in{data, size};
    // What a plain archive must restore: name -> contents (folders: none).
    bool plain = true;
    std::map<std::string, std::string> expected;
    std::map<std::string, bool> folders;
    for (int n = 0; n < kMaxEntries && in.left != 0; n++) {
        const uint32_t flags = in.take(1);
        uint32_t header[8] = {};
        header[quill::layout::kKind] = flags & 3;
        if (flags & 8) {
            header[quill::layout::kSizeLow] = in.take(4);
            header[quill::layout::kSizeHigh] = in.take(4);
        }
        uint32_t name_word = 0;
        const bool name_given = (flags & 16) != 0;
        if (name_given) name_word = in.take(2);
        if (flags & 32) header[quill::layout::kKind] = in.take(4);
        uint32_t times[8] = {};
        times[6] = quill::plat::kAttrArchive;
        if (flags & 64)
            for (int i = 0; i < 7; i++) times[i] = in.take(4);
        const std::string name = in.bytes(in.take(1));
        const std::string contents = in.bytes(in.take(2));

        header[quill::layout::kNameLength] = name_given ? name_word : uint32_t(name.size() + 1);
        if (!(flags & 8)) {
            header[quill::layout::kSizeLow] = uint32_t(contents.size());
            header[quill::layout::kSizeHigh] = 0;
        }
        const bool folder = (header[quill::layout::kKind] & 1) != 0;
        const uint32_t kind = folder ? 1 : (flags & 4) ? 2 : 0;
        if ((flags & (8 | 16 | 32 | 64)) != 0 || header[quill::layout::kKind] != kind ||
            !plain_name(name) || folders.count(name) != 0 || expected.count(name) != 0)
            plain = false;
        if (folder)
            folders[name] = true;
        else
            expected[name] = contents;
        w.words(header);
        if (!folder) w.words(times);
        // The name field: the name, its NUL and zero filler up to the length
        // word (capped: past 260 the reader stops at the header anyway).
        std::string field = name;
        field.resize(
            header[quill::layout::kNameLength] < 320 ? header[quill::layout::kNameLength] : 320,
            '\0');
        w.blocks(field.data(), field.size());
        if (!folder) {
            const std::string stream = (flags & 4) ? fuzz::deflated(contents) : contents;
            w.blocks(stream.data(), stream.size());
        }
    }
    w.end();

    const auto check = [&](const std::string &scratch, int32_t result) {
        if (!plain || in.left != 0 || expected.size() + folders.size() == 0) return;
        if (result != 0) {
            std::fprintf(stderr, "a plain archive failed to decrypt: %d\n", result);
            std::abort();
        }
        for (const auto &[name, contents] : expected) {
            if (fuzz::read_all(scratch + "/" + name) != contents) {
                std::fprintf(stderr, "%s was not restored as written\n", name.c_str());
                std::abort();
            }
        }
        for (const auto &folder : folders) {
            if (!fuzz::fs::is_directory(scratch + "/" + folder.first)) {
                std::fprintf(stderr, "folder %s was not restored\n", folder.first.c_str());
                std::abort();
            }
        }
    };
    // The headers a reader meets are found in the clear text of every block
    // it deciphers, not in the list of entries above: a kind word or size
    // that does not match the data written puts later headers elsewhere.
    const auto stated = [&] {
        return fuzz::stated_bytes(w.plain.data(), w.plain.size() / quill::layout::kBlockBytes);
    };
    fuzz::decrypt_in_scratch(w.out.data(), w.out.size(), size != 0 ? data[size - 1] : 0, stated,
                             check);
    return 0;
}
