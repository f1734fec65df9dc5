// Key files by path or by user ID, and the per-user key folders in which user
// IDs are looked up (rules.h), where the desktop program keeps them on
// Windows.
#ifndef QUILLSEAL_KEYS_H
#define QUILLSEAL_KEYS_H

#include <string>

#include "rules.h"

struct KeyFolders {
    std::string base;  // each with its separator
    std::string secret;
    std::string public_keys;
};

// The key folders; false after saying that they cannot be found.
bool key_folders(KeyFolders *folders);
// The key file that a -k, -r or -s value names: a path when it holds a
// separator or ends in a key file's extension, else a user ID in the key
// folder of its kind. False after saying that no such file exists, or why
// it is no key file of that kind.
bool find_key(const std::string &value, rules::Kind kind, std::string *path);
// The key pair window's checks of a user ID: given, none of the characters
// a file name cannot hold, not too long. 0, or 1 after saying what is wrong.
int user_id_ok(const std::string &id);

#endif
