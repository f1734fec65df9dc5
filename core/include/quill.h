/* quill.h: Quillseal's library for other programs.
 *
 * Makes key pairs, and makes, checks, lists and opens archives (".velm")
 * exactly as the Quillseal programs do, each call on a context of the
 * caller's: two contexts may run at once on two threads, and nothing of one
 * call is seen by another. Every name this header declares starts with
 * quill_ or QUILL_; link with `pkg-config --libs quillcore` or CMake's
 * Quillcore::quill.
 *
 * Conventions:
 *   - Paths and passwords are UTF-8 on every platform. A path must name the
 *     file as the system's code page can spell it (on Windows, the ANSI code
 *     page), or the call fails with QUILL_FAIL_PATH.
 *   - Every call returns a quill_status. On QUILL_FAILED (and on the other
 *     statuses but QUILL_OK), quill_last_failure says what failed, where and
 *     why; the failure callback, when set, has had the same record before
 *     the call returned.
 *   - Nothing the library hands out is to be freed by the caller; a record
 *     and its strings stay valid until the next call on the same context.
 *   - A context is used by one thread at a time; calls on different
 *     contexts may overlap.
 *   - No call throws, and no call shows a window or reads a terminal: what
 *     the library would ask, it asks the conflict callback.
 */
#ifndef QUILL_H
#define QUILL_H

#include <stddef.h>
#include <stdint.h>

#if defined(QUILL_PUBLIC_STATIC)
#define QUILL_PUBLIC
#elif defined(_WIN32)
#if defined(QUILL_PUBLIC_BUILD)
#define QUILL_PUBLIC __declspec(dllexport)
#else
#define QUILL_PUBLIC __declspec(dllimport)
#endif
#else
#define QUILL_PUBLIC __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct quill_ctx quill_ctx;

/* What a call came to. */
typedef enum quill_status {
    QUILL_OK = 0,
    QUILL_FAILED = 1,        /* quill_last_failure says what and why */
    QUILL_WRONG_KEY = 2,     /* the secret key is not the one the archive was made for */
    QUILL_BAD_SIGNATURE = 3, /* the signature does not verify: another sender, or tampering */
    QUILL_STOPPED = 4        /* the conflict callback answered QUILL_STOP */
} quill_status;

/* What failed. */
typedef enum quill_failure_kind {
    QUILL_FAIL_NONE = 0,
    QUILL_FAIL_ARGUMENT, /* a null or empty argument, or a password too long */
    QUILL_FAIL_PATH,     /* a path the system cannot spell, or longer than it takes */
    QUILL_FAIL_MEMORY,   /* memory ran out */
    QUILL_FAIL_RANDOM,   /* the system's random source failed */
    QUILL_FAIL_KEY,      /* no key file, or a key no key pair can have */
    QUILL_FAIL_PASSWORD, /* the password does not open the secret key */
    QUILL_FAIL_ITEMS,    /* an item to encrypt cannot be read or its name held */
    QUILL_FAIL_OPEN,     /* a file could not be opened */
    QUILL_FAIL_READ,     /* a file could not be read */
    QUILL_FAIL_CREATE,   /* a file could not be made */
    QUILL_FAIL_WRITE,    /* a file could not be written */
    QUILL_FAIL_PLACE,    /* a finished file could not take its name */
    QUILL_FAIL_FOLDER,   /* a folder could not be made */
    QUILL_FAIL_DAMAGED,  /* the archive is cut short or damaged */
    QUILL_FAIL_NAME,     /* an entry name would leave the destination */
    QUILL_FAIL_CONFLICT  /* an existing name could not be settled */
} quill_failure_kind;

/* Why, as the operating system said. */
typedef enum quill_cause {
    QUILL_CAUSE_UNKNOWN = 0,
    QUILL_CAUSE_NO_SPACE,  /* the disk, or the user's quota on it, is full */
    QUILL_CAUSE_TOO_LARGE, /* the file system holds no file that large */
    QUILL_CAUSE_READ_ONLY, /* the drive is write-protected or mounted read-only */
    QUILL_CAUSE_DENIED,    /* permissions refuse it */
    QUILL_CAUSE_IN_USE,    /* another program holds the file */
    QUILL_CAUSE_MISSING,   /* the file, or a folder on its path, does not exist */
    QUILL_CAUSE_EXISTS,    /* something of that name exists already */
    QUILL_CAUSE_NOT_FILE,  /* it is no regular file */
    QUILL_CAUSE_IO         /* the device reported an error */
} quill_cause;

/* One failure: what, where and why. path is the file concerned (UTF-8, ""
 * when none); message the library's own words for it (UTF-8, Japanese, as
 * the Quillseal programs show it). */
typedef struct quill_failure {
    quill_failure_kind kind;
    quill_cause cause;
    const char *path;
    const char *message;
} quill_failure;

/* The answer to an output name that something has already. */
typedef enum quill_answer {
    QUILL_OVERWRITE = 1, /* replace the file there (a folder is never replaced) */
    QUILL_RENAME = 2,    /* take the first free name(N) beside it */
    QUILL_STOP = 3       /* stop: what was done before stays */
} quill_answer;

/* One entry of an archive, as quill_list reads it. */
typedef struct quill_entry_info {
    int folder;          /* 1 for a folder */
    uint64_t size;       /* bytes (0 for a folder) */
    uint64_t write_time; /* last write, 100 ns intervals since 1601-01-01 UTC */
    const char *name;    /* relative path, UTF-8, "/" between components */
} quill_entry_info;

typedef void (*quill_progress_fn)(void *user, uint64_t done, uint64_t total);
typedef quill_answer (*quill_conflict_fn)(void *user, const char *path);
typedef void (*quill_failure_fn)(void *user, const quill_failure *failure);
/* What the library would otherwise show and go on after: a signature that
 * does not verify when it was told to go on, names restored in another
 * spelling, links left out, leftovers of stopped runs removed. */
typedef void (*quill_notice_fn)(void *user, const char *path, const char *text);
/* A non-zero result stops the listing there. */
typedef int (*quill_entry_fn)(void *user, const quill_entry_info *entry);

/* A new context, or null when memory ran out. Without callbacks a context
 * reports nothing, answers every conflict with QUILL_STOP, and keeps
 * notices to itself. */
QUILL_PUBLIC quill_ctx *quill_ctx_new(void);
QUILL_PUBLIC void quill_ctx_free(quill_ctx *ctx);
QUILL_PUBLIC void quill_on_progress(quill_ctx *ctx, quill_progress_fn fn, void *user);
QUILL_PUBLIC void quill_on_conflict(quill_ctx *ctx, quill_conflict_fn fn, void *user);
QUILL_PUBLIC void quill_on_failure(quill_ctx *ctx, quill_failure_fn fn, void *user);
QUILL_PUBLIC void quill_on_notice(quill_ctx *ctx, quill_notice_fn fn, void *user);
/* The failure of the last call on ctx; kind QUILL_FAIL_NONE after success. */
QUILL_PUBLIC const quill_failure *quill_last_failure(const quill_ctx *ctx);

/* Makes a key pair: the secret key file (".velh", locked with password, at
 * least 8 bytes in the system's code page) and the public key file
 * (".velk"), put in place together; an old pair at those paths is replaced
 * whole or kept whole. */
QUILL_PUBLIC quill_status quill_keypair_create(quill_ctx *ctx, const char *secret_path,
                                               const char *public_path, const char *password);

/* Bytes of a fingerprint's text: 44 characters of Base64 and a zero. */
#define QUILL_FINGERPRINT_SIZE 45
/* Reads the public key file and gives its fingerprint (as the Quillseal
 * programs show it) in fingerprint; QUILL_FAIL_KEY when it holds no key. */
QUILL_PUBLIC quill_status quill_public_key(quill_ctx *ctx, const char *public_path,
                                           char fingerprint[QUILL_FINGERPRINT_SIZE]);

/* Encrypts the files and folders at paths (count of them, all in one
 * folder; a folder with its whole tree) for the holder of recipient_path's
 * public key, signed with secret_path's key, into archive_path (null: the
 * first path followed by ".velm"). compress: 1 to compress the files. An
 * archive of that name is a conflict. */
QUILL_PUBLIC quill_status quill_encrypt(quill_ctx *ctx, const char *const *paths, size_t count,
                                        const char *archive_path, const char *secret_path,
                                        const char *password, const char *recipient_path,
                                        int compress);

/* Checks the archive's signature against sender_path's public key:
 * QUILL_OK, or QUILL_BAD_SIGNATURE. */
QUILL_PUBLIC quill_status quill_verify(quill_ctx *ctx, const char *archive_path,
                                       const char *sender_path);

/* Hands each entry of the archive to fn; writes nothing. The signature is
 * not checked (quill_verify does). */
QUILL_PUBLIC quill_status quill_list(quill_ctx *ctx, const char *archive_path,
                                     const char *secret_path, const char *password,
                                     quill_entry_fn fn, void *user);

/* Decrypts the archive into out_folder (an existing folder; null: the
 * archive's own), reading it once: nothing is put in place unless its
 * signature verifies against sender_path's public key (QUILL_BAD_SIGNATURE,
 * nothing left), or keep_unverified is 1 (everything put in place, a
 * notice, and QUILL_BAD_SIGNATURE all the same). Every restored file is on
 * stable storage when the call returns. */
QUILL_PUBLIC quill_status quill_decrypt(quill_ctx *ctx, const char *archive_path,
                                        const char *secret_path, const char *password,
                                        const char *sender_path, const char *out_folder,
                                        int keep_unverified);

#ifdef __cplusplus
}
#endif

#endif
