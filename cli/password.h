// The password block and where its text comes from: the terminal without
// echo, the first line of a file or of a descriptor (UTF-8, with or without
// a byte order mark, or the code page's own text), or the password made from
// a file.
#ifndef QUILLSEAL_PASSWORD_H
#define QUILLSEAL_PASSWORD_H

#include <cstddef>

#include "options.h"

constexpr size_t kPasswordBytes = 160;  // the block: the text, then zero bytes
constexpr size_t kPasswordMax = kPasswordBytes - 1;

// Wiped however it goes out of scope.
struct Password {
    unsigned char block[kPasswordBytes] = {};
    Password() = default;
    Password(const Password &) = delete;
    Password &operator=(const Password &) = delete;
    ~Password();
    size_t length() const;
};

// Reads the password from the source the options name, else from the
// terminal (prompting twice when again is given; from any other source again
// receives the same text). 0, or the exit status after saying what is wrong.
int read_password(const Options &o, Password *password, Password *again = nullptr);

// The password for an existing secret key: read, not empty, and opening the
// key (password_check) before anything else is touched. 0 or an exit status.
int unlock(const Options &o, const std::string &secret_key, Password *password);

#endif
