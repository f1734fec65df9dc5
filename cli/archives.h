// What decrypt and list share: the archives named on the command line, and
// the signature check that comes before anything is read from one.
#ifndef QUILLSEAL_ARCHIVES_H
#define QUILLSEAL_ARCHIVES_H

#include <string>
#include <vector>

#include "options.h"

// The archives as full paths; false after naming one that cannot be read,
// and why.
bool find_archives(const std::vector<std::string> &typed, std::vector<std::string> *archives);

// The tamper check of one archive against the sender's public key. 0 when it
// verifies, or when it does not but --ignore-signature was given (the outcome
// is then shown as a warning, and *ignored set); else kExitBadSignature,
// after saying why nothing is done with it and how to go on.
int signature_gate(const Options &o, const std::string &archive, const std::string &sender,
                   bool *ignored);

// Whether the archive's signature fails under the sender's public key (the
// tamper check's -1), for an archive read regardless of it that turned out
// damaged: tampering, not a failure.
bool signature_fails(const std::string &archive, const std::string &sender);

// The text the desktop program shows for a result of syomei_kakunin on the
// archive; for an archive that could not be checked, why, where that can be
// found.
const char *tamper_outcome(int result, const std::string &archive);

// Says what a result of 1 or 2 of the decryption's reader means for the
// archive and returns the exit status (0 for 0).
int reader_status(int result, const std::string &archive);

#endif
