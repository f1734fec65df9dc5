// quillseal: encrypts, decrypts and checks archives from the command line.
#include <cstdio>
#include <cstring>

#include "quill_version.h"
#include "quillcore.h"

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillseal %s\n", QUILL_VERSION);
        return 0;
    }
    return 64;
}
