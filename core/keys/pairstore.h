// Putting a new key pair in place of the old one, so that no interruption,
// full disk or power cut ever leaves a secret key that does not open, or a
// pair that does not belong together.
//
// Both files are written first as private pending files beside their final
// names, ".quillseal-<process>-<tag>.new" (the tag: which key file), the
// public key's first, then the secret key's, each flushed to stable storage
// with its folder. Renaming the
// public key into place is the commit; the secret key follows it. A run
// stopped outright at any moment leaves one of these, which the next
// repair_key_pair finds by the pending names of a process no longer running:
//   both pending files     nothing was committed: they are removed, and the
//                          pair in place is the old one;
//   the secret key's only  the public key is in place: the secret key
//                          follows it, and the pair in place is the new one;
//   the public key's only  the secret key's was never whole: it is removed.
// An interruption the program sees (ichiji_sakujo) removes the pending files
// until the commit begins, and leaves them from then on, for the repair.
#ifndef QUILL_PAIRSTORE_H
#define QUILL_PAIRSTORE_H

#include <cstddef>

namespace quill {

// Puts the Base64 texts of the secret key record and of the public key's
// image in place at the two paths, as above; a link at either name is
// replaced, never written through, and an old file replaced keeps its
// permissions. 0 both in place; 1 failure, after a box that names the file
// and the cause: the pair in place is the old one.
int store_key_pair(const char *secret_path, const unsigned char *record, const char *public_path,
                   const unsigned char *image);

// What became of a key pair creation left unfinished at these two paths.
enum Repair {
    kRepairNone,       // nothing was left
    kRepairFailed,     // what was left could not be settled (a box said why)
    kRepairCompleted,  // the new pair is in place now
    kRepairUndone,     // its files are removed; the old pair stands
};
Repair repair_key_pair(const char *secret_path, const char *public_path);

}  // namespace quill

#endif
