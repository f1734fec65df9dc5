// The commands, each in a file of its own; each returns the exit status.
#ifndef QUILLSEAL_COMMANDS_H
#define QUILLSEAL_COMMANDS_H

#include "options.h"

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitKeyMismatch = 2;   // the library's result 2
constexpr int kExitBadSignature = 3;  // a signature that does not verify
constexpr int kExitUsage = 64;

int run_keygen(const Options &o);
int run_encrypt(const Options &o);
int run_decrypt(const Options &o);
int run_list(const Options &o);
int run_verify(const Options &o);
int run_sha256(const Options &o);
int run_fingerprint(const Options &o);
int run_password_from(const Options &o);
int run_list_keys(const Options &o);
int run_import(const Options &o);
int run_export(const Options &o);

#endif
