// Why a file named on the command line cannot serve, found by the program
// itself: the library's exports that read a file answer only that they
// failed. One place, so that every command names a cause in the same words.
#ifndef QUILLSEAL_CAUSES_H
#define QUILLSEAL_CAUSES_H

#include <string>

enum class Use {
    kRead,       // any file to be read whole (hashing)
    kPublicKey,  // a public key file, as the library's key reader takes it
    kSecretKey,  // a secret key file, as the library's key reader takes it
    kSigned,     // an archive whose signature is to be checked
};

// The cause as a text of texts.h, or null when nothing can be found wrong
// from outside (the failure then lies deeper, a read error midway).
const char *unusable(const std::string &path, Use use);

#endif
