// Archives cross between the builds: this program, built for Linux and for
// Windows, makes a signed archive of a fixed tree with one build and opens it
// with the other.
//   interop make DIR   keys and an archive of DIR/tree in DIR
//   interop open DIR   decrypts DIR/tree.velm into DIR/out and checks it
// Exit code 0 when everything holds; messages on standard error.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "files.h"
#include "quillcore.h"
#include "texts.h"

namespace {

struct Entry {
    std::string rel;
    std::string bytes;
};

std::vector<Entry> tree() {
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); i++) big[i] = char((i * 131) >> 7);
    return {{"tree/a.txt", "hello"},
            {"tree/empty.bin", ""},
            {std::string("tree/") + kPhotos + "/" + kTable, "table"},
            {std::string("tree/") + kPhotos + "/big.bin", big}};
}

unsigned char password[160] = "interop password";

int box(void *, const char *text, const char *caption, unsigned) {
    fprintf(stderr, "message: %s: %s\n", caption, text);
    return QUILL_IDCANCEL;
}

int make(const std::string &dir) {
    if (kagisakusei(join(dir, "a.velh").c_str(), join(dir, "a.velk").c_str(), password) ||
        kagisakusei(join(dir, "b.velh").c_str(), join(dir, "b.velk").c_str(), password))
        return 1;
    for (const Entry &e : tree()) {
        const std::string path = join(dir, e.rel);
        fs::create_directories(to_path(path).parent_path());
        write_text(path, e.bytes);
    }
    fs::create_directories(join(dir, "tree/void"));
    file_get(0, join(dir, "tree").c_str());
    return angouka(join(dir, "a.velh").c_str(), password, join(dir, "b.velk").c_str(), 1);
}

int open(const std::string &dir) {
    if (syomei_kakunin(join(dir, "tree.velm").c_str(), join(dir, "a.velk").c_str()) != 0) {
        fprintf(stderr, "signature check failed\n");
        return 1;
    }
    fresh_folder(join(dir, "out"));
    fs::copy_file(join(dir, "tree.velm"), join(dir, "out/tree.velm"));
    file_get(0, join(dir, "out/tree.velm").c_str());
    const int r = fukugouka(join(dir, "b.velh").c_str(), password, join(dir, "a.velk").c_str());
    if (r != 0) {
        fprintf(stderr, "decryption gave %d\n", r);
        return 1;
    }
    int bad = 0;
    for (const Entry &e : tree()) {
        const std::string path = join(dir, "out/" + e.rel);
        if (!exists(path) || read_text(path) != e.bytes) {
            fprintf(stderr, "wrong or missing: %s\n", e.rel.c_str());
            bad++;
        }
    }
    // Nothing beside the entries: a trail byte 0x5C must not split a name
    // into a stray folder.
    const fs::path photos = to_path(join(dir, std::string("out/tree/") + kPhotos));
    const auto count = std::distance(fs::directory_iterator(photos), fs::directory_iterator());
    if (count != 2) {
        fprintf(stderr, "%d entries where 2 belong\n", int(count));
        bad++;
    }
    if (!fs::is_directory(join(dir, "out/tree/void"))) {
        fprintf(stderr, "missing empty folder\n");
        bad++;
    }
    return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: interop make|open DIR\n");
        return 2;
    }
    msgbox_set(box);
    const std::string verb = argv[1];
    if (verb == "make") return make(argv[2]);
    if (verb == "open") return open(argv[2]);
    return 2;
}
