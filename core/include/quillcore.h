/* quillcore: the exported interface of the Quillseal library.
 *
 * Every function here has C linkage and is exported under exactly this name.
 * Numbers (Num40) are arrays of 40 unsigned 32-bit limbs, limb 0 least
 * significant; a field element of GF(2^1279) has the coefficient of
 * x^(32i+j) in bit j of limb i. Results are signed 32-bit integers: 0 is
 * success, 1 failure, other values as stated with each function. No function
 * throws. The functions here share one context (the selection, the random
 * generator, the progress and message handlers) and must be called from one
 * thread at a time; a program of its own uses quill.h, whose contexts are
 * each their own.
 */
#ifndef QUILLCORE_H
#define QUILLCORE_H

#include <stdint.h>

/* One switch per kind of build: QUILLCORE_BUILD while the shared library
 * itself is compiled, QUILL_STATIC where its sources are compiled into
 * another program (the fuzz targets, white-box tests), neither for a program
 * that links the shared library. */
#if defined(QUILL_STATIC)
#define QUILL_API
#elif defined(_WIN32)
#if defined(QUILLCORE_BUILD)
#define QUILL_API __declspec(dllexport)
#else
#define QUILL_API __declspec(dllimport)
#endif
#else
#define QUILL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    QUILL_LIMBS = 40,       /* limbs of a Num40 */
    QUILL_NUM_BYTES = 160,  /* its little-endian image */
    QUILL_BLOCK_BYTES = 32, /* one cipher block */
    QUILL_KEY_WORDS = 40,   /* 32-bit words of one key schedule */
    QUILL_SHA_WORDS = 8     /* SHA-256 state words H0..H7 */
};

/* ---- GF(2^1279) arithmetic, field polynomial x^1279 + x^418 + 1 ---------- */

/* p[0..1] <- carry-less product of two 32-bit words (low word first). */
QUILL_API void seki1(uint32_t a, uint32_t b, uint32_t *p);
/* p[0..2n-1] <- carry-less product of two n-limb operands (n = 2, 4, 8, 40).
 * p must not overlap a or b. */
QUILL_API void seki2(const uint32_t *a, const uint32_t *b, uint32_t *p);
QUILL_API void seki4(const uint32_t *a, const uint32_t *b, uint32_t *p);
QUILL_API void seki8(const uint32_t *a, const uint32_t *b, uint32_t *p);
QUILL_API void seki40(const uint32_t *a, const uint32_t *b, uint32_t *p);
/* Reduces an 80-limb product modulo f in place: limbs 0..39 hold the reduced
 * element (bit 1279 clear), limbs 40..79 become 0. */
QUILL_API void sekiamari(uint32_t *p);
/* out <- a*b mod f; out may alias a or b. */
QUILL_API void seki(const uint32_t *a, const uint32_t *b, uint32_t *out);
/* a <- a^2 mod f, in place. */
QUILL_API void nijyou(uint32_t *a);
/* a <- x*a^2 mod f, in place. */
QUILL_API void nijyoux(uint32_t *a);

/* ---- exponentiation and integers modulo M = 2^1279 - 1 ------------------- */

/* out <- x^e; all 1280 bits of e count; out must not alias e. */
QUILL_API void x_enujyou(const uint32_t *e, uint32_t *out);
/* out <- b^e with bit 1279 of e ignored; out may alias b or e. For an
 * exponent whose bits 0..1278 are all zero the result is 1. */
QUILL_API void fx_enujyou(const uint32_t *b, const uint32_t *e, uint32_t *out);
/* out <- a*b mod M for an n-limb b (1 <= n <= 40); out may alias a or b. */
QUILL_API void seisuu_seki(const uint32_t *a, const uint32_t *b, uint32_t *out, int32_t n);
/* Reduces the 64-bit cells of a 40 x n limb product modulo M in place. */
QUILL_API void seisuu_sekiamari(uint64_t *cells, int32_t n);
/* out <- a - b mod M (M itself stands for 0); out may alias a or b. */
QUILL_API void seisuu_sa(const uint32_t *a, const uint32_t *b, uint32_t *out);

/* ---- random generator (the shared context's) ----------------------------- */

/* Next 32-bit output word. */
QUILL_API uint32_t makeransuu(void);
/* Advances level n (1..20) of the generator tower. */
QUILL_API void kaisou(uint32_t n);
/* Seeds the whole generator from length bytes (at most 512 are used). */
QUILL_API void initialize_array(const unsigned char *seed, int32_t length);
/* Fills buf with fresh random bytes from the operating system mixed with the
 * generator, re-seeding it from the clock. 0 success; 1 the system's random
 * source cannot be opened or fails, buffer and generator untouched. */
QUILL_API int32_t ransuu_tane(unsigned char *buf, int32_t length);

/* ---- block cipher (32-byte blocks, chained, whitened) --------------------- */

/* Derives the forward and inverse key schedules (40 words each) from 160
 * bytes of secret material; leaves the generator in the key-derived state. */
QUILL_API void kagikazusakusei(const unsigned char *material, uint32_t *key, uint32_t *inv);
/* Replaces the 64-bit word v (low 32-bit word first) by z with
 * (2v+1)(2z+1) = 1 mod 2^64. */
QUILL_API void inverse(uint32_t *v);
/* Enciphers one block in place; chain holds the previous ciphertext block and
 * receives this one. */
QUILL_API void Rangou(unsigned char *block, unsigned char *chain, const uint32_t *key);
/* Deciphers one block in place; chain receives the ciphertext consumed. */
QUILL_API void Rfukugou(unsigned char *block, unsigned char *chain, const uint32_t *key,
                        const uint32_t *inv);

/* ---- SHA-256 (state as eight native words H0..H7) and Base64 -------------- */

/* Hashes a whole file. 0 success; 1 cannot open or read error. */
QUILL_API int32_t SHA256(const char *path, uint32_t *state);
QUILL_API void SHA256_array(const unsigned char *data, uint32_t length, uint32_t *state);
/* Hashes the first count bytes of a file followed by 160 extra bytes.
 * 0 success; 1 cannot open, shorter than count (or count negative), or read
 * error. */
QUILL_API int32_t SHA256R(const char *path, int64_t count, const unsigned char *extra,
                          uint32_t *state);
QUILL_API void SHA256_int(uint32_t *state);
/* work: 64 words; its first 64 bytes hold the message block. Destroyed. */
QUILL_API void SHA256_process(uint32_t *state, uint32_t *work);
/* work holds the last (total mod 64) bytes; total = lo + 2^32 hi bytes. */
QUILL_API void SHA256_finish(uint32_t *state, uint32_t *work, uint32_t lo, uint32_t hi);
/* The 64-step compression over an expanded schedule in work. */
QUILL_API void SHA256_transform(uint32_t *state, const uint32_t *work);

/* Writes Base64 text with CR LF after every 64 characters and after a padded
 * last group; no terminating zero (pass a zero-filled buffer). */
QUILL_API void encode64(const unsigned char *data, int32_t length, char *out);
/* Decodes zero-terminated Base64 text, skipping CR and LF. Writes three bytes
 * per group of four characters. 0 success; 1 invalid text. */
QUILL_API int32_t decode64(const char *text, unsigned char *out);
/* Four characters for the 24-bit group in the low bits of group. */
QUILL_API void encode_char(uint32_t group, char *out);
/* Three bytes from four characters; 1 for a character outside the alphabet
 * and "=". */
QUILL_API int32_t decode_str(const char *in, unsigned char *out);

/* ---- key pairs, key files and passwords --------------------------------- */

/* Password block: 160 bytes, the password's text followed by zero bytes; all
 * 160 count. Key files are Base64 text: the public key 224 bytes, the secret
 * key 264 bytes (a 192-byte record: the secret exponent enciphered under the
 * password, then the password's SHA-256 digest). */

/* Creates a key pair and puts both files in place together: each is first
 * written as a private pending file beside its name
 * (".quillseal-<process>-<tag>.new", the tag telling which key file) and
 * flushed to stable storage, and only then are both renamed into place, so
 * that an interruption, a full disk or a power cut leaves the old pair or
 * the new one, and never a secret key that does not open. A link at either name is replaced, never
 * written through; a file replaced keeps its permissions. 0 both in place; 1 failure, after a box
 * that names the file and the cause (the pair in place is then the old one). What an earlier
 * creation at the same paths left unfinished is settled first, as by kagi_shuufuku. */
QUILL_API int32_t kagisakusei(const char *secret_path, const char *public_path,
                              const unsigned char *password);
/* Settles a key pair creation at these paths that a run stopped outright
 * left unfinished, and says in a box what it did. 0 nothing was left; 1 what
 * was left could not be settled (a box says why); 2 the creation is
 * completed: the new pair is in place; 3 its files are removed: the pair in
 * place is the one from before it. */
QUILL_API int32_t kagi_shuufuku(const char *secret_path, const char *public_path);
/* 0 the password block opens the secret key file; 1 it does not, or the file
 * cannot be read or decoded. */
QUILL_API int32_t password_check(const char *secret_path, const unsigned char *password);
/* record: 192 bytes; in: the secret exponent in bytes 0..159; out: the
 * complete record. */
QUILL_API void himitukagiangou(unsigned char *record, const unsigned char *password);
/* record: in: a record as loaded; out: the secret exponent in bytes 0..159
 * (a wrong password gives a wrong exponent, not an error). */
QUILL_API void himitukagifukugou(unsigned char *record, const unsigned char *password);

/* ---- signatures ---------------------------------------------------------- */

/* Signs the whole file at archive_path: h (8 words) and s (40 limbs).
 * 0 signed; 1 failure. */
QUILL_API int32_t syomeisakusei(const char *secret_path, const unsigned char *password,
                                const char *archive_path, uint32_t *h, uint32_t *s);
/* Appends the 192-byte trailer (h, then s). 0 appended; 1 failure. */
QUILL_API int32_t append(const char *archive_path, const uint32_t *h, const uint32_t *s);
/* Checks an archive's trailer against a public key file. 0 valid; -1 the
 * signature does not match; 1 error. */
QUILL_API int32_t syomei_kakunin(const char *archive_path, const char *public_path);
/* Reads the trailer: h (8 words), s (40 limbs). 0 read; 1 failure. */
QUILL_API int32_t toridasi(const char *archive_path, uint32_t *h, uint32_t *s);
/* h: a 40-limb area with h in limbs 0..7. 0 valid; -1 mismatch; 1 error. */
QUILL_API int32_t syomeikakunin(const char *public_path, const char *archive_path,
                                const uint32_t *h, const uint32_t *s);

/* ---- selection, output names, messages ----------------------------------- */

/* Adds one chosen item (a full path without trailing separator) to the
 * selection; index 0 starts a new selection. Returns the number of files
 * selected so far. */
QUILL_API int32_t file_get(int32_t index, const char *path);
/* The steps of the walk behind file_get, over the selection's state: the
 * folder of the item being added becomes the folder the relative names start
 * from (foldersakusei); the item being added joins the selection, a folder
 * with its whole tree (foldersyori); the folder being walked is enumerated
 * (filesyori); the entry enumerated last joins the selection (filesyori2).
 * The walk takes regular files and folders; links and other kinds met inside
 * a folder are left out. */
QUILL_API void foldersakusei(void);
QUILL_API void foldersyori(void);
QUILL_API void filesyori(void);
QUILL_API void filesyori2(void);
/* Settles an existing output name with the user. path: a buffer of the
 * platform's path size (260 bytes on Windows, 4096 on Linux). 0 nothing of
 * that name exists; 1 overwrite (a read-only file was made writable); 2 path
 * now holds a free name(N).ext; 3 stop; -1 no free name fits the path size
 * (path unchanged). */
QUILL_API int32_t filenamesyori(char *path);
/* archive <- item + ".velm", settled by filenamesyori (its result; -1 also
 * when item + ".velm" does not fit); scratch receives the item's name.
 * archive may be the item's buffer. */
QUILL_API int32_t angoufilemeisakusei(const char *item, char *archive, char *scratch);
#if defined(_WIN32)
/* WH_CBT hook that labels the conflict prompt's buttons. */
QUILL_API intptr_t MsgBoxHookProc(int code, uintptr_t wparam, intptr_t lparam);
#endif

enum {
    QUILL_MB_OK = 0x00,
    QUILL_MB_YESNOCANCEL = 0x03,
    QUILL_MB_TYPEMASK = 0x0F, /* the buttons' part of a box's type */
    QUILL_MB_ICONEXCLAMATION = 0x30,
    QUILL_IDOK = 1,
    QUILL_IDCANCEL = 2,
    QUILL_IDYES = 6,
    QUILL_IDNO = 7
};
/* Every message box of the library goes through handler when one is set
 * (the shape of MessageBoxA; returns the button id); null restores the
 * platform's own boxes. */
typedef int (*quill_msgbox_handler)(void *owner, const char *text, const char *caption,
                                    unsigned type);
QUILL_API void msgbox_set(quill_msgbox_handler handler);

/* A failure or a notice of the library as a value. kind: a
 * quill_failure_kind of quill.h (0: a notice, after which the call goes on);
 * cause: a quill_cause of quill.h; path: the file concerned (the box's
 * caption); text: the library's words; detail: a name, or names one a line,
 * that follow them ("" for none); cause_text: the cause in words ("" for
 * none). */
typedef struct quill_report {
    int32_t kind;
    int32_t cause;
    const char *path;
    const char *text;
    const char *detail;
    const char *cause_text;
} quill_report;
typedef void (*quill_report_handler)(void *context, const quill_report *report);
/* When handler is set, every failure and notice of the library goes to it
 * as a record instead of a box (the questions about existing names still go
 * through msgbox_set's handler); null restores the boxes. */
QUILL_API void report_set(quill_report_handler handler, void *context);
/* Progress of long calls: handler, when set, is called with the bytes done
 * and the bytes expected in all by the running call of angouka, fukugouka,
 * syomei_kakunin, SHA256, naiyou_ichiran or fukugou_saki, at most once every
 * 64 KiB and once at its end (then done equals total). The total of an
 * encryption is an estimate until its archive is written. Null stops the
 * reports; without a handler the library behaves as if none existed. */
typedef void (*quill_progress_handler)(void *context, uint64_t done, uint64_t total);
QUILL_API void progress_set(quill_progress_handler handler, void *context);

/* ---- encryption and decryption ------------------------------------------ */

/* Encrypts the selection for the public key into first item + ".velm" and
 * signs it. The archive is written under a temporary name beside it and
 * takes its name (replacing the old file after "上書き") only once it is
 * complete. 0 done (or stopped at the name prompt); 1 failure, no archive,
 * an old one as it was; 2 signing failed, the archive remains without a
 * complete trailer. Before anything is made, every file and folder of the
 * selection that the archive could not hold as it is (unreadable, a name
 * outside code page 932 or with a control character or "\", a path too
 * long) is named in one box, and the result is 1. */
QUILL_API int32_t angouka(const char *secret_path, const unsigned char *password,
                          const char *public_path, int32_t compress);
/* As angouka, into the archive at archive_path (a full path) instead of
 * first item + ".velm": an existing file of that name is settled as
 * angouka settles its own (filenamesyori), and the archive is written
 * beside it under a temporary name. Null or empty: angouka's own name. */
QUILL_API int32_t angouka_saki(const char *secret_path, const unsigned char *password,
                               const char *public_path, int32_t compress, const char *archive_path);
/* The path of the archive the last call of angouka wrote (under the name
 * settled at the prompt, a free name(N) after "別名保存"), whether or not
 * its signature was appended; empty when that call wrote none. */
QUILL_API const char *angoufilemei(void);
/* Writes the file entry for the current item at the archive's end; archive
 * is the driver's open archive. 0 done; 1 failure. */
QUILL_API int32_t angoumain(const char *archive_path, void *archive, const uint32_t *key,
                            const uint32_t *inv, unsigned char *chain, int32_t compress);
/* Writes the folder entry for the current item at the archive's end. */
QUILL_API void angoufolder(const char *archive_path, void *archive, const uint32_t *key,
                           const uint32_t *inv, unsigned char *chain);
/* Decrypts every selected archive next to itself. 0 done; 1 failure; 2 the
 * secret key does not belong to an archive. An archive's entries end where
 * its trailer begins (its last 192 bytes) or, without trailer, at its
 * physical end. A damaged archive is a failure: cut short, a zlib stream
 * that fails, an impossible entry, or a header that fails anywhere else
 * (a box names the archive and the entry after which nothing could be
 * restored); what was restored in front of the damage stays. */
QUILL_API int32_t fukugouka(const char *secret_path, const unsigned char *password,
                            const char *public_path);
/* Decrypts the one archive at the current item. Results as fukugouka. */
QUILL_API int32_t fukugousyori(const char *secret_path, const unsigned char *password);

/* One entry of an archive as the decryption's reader accepted it: its name
 * has passed every check that decryption makes before it writes. */
typedef struct quill_entry {
    int32_t folder;                   /* 1 a folder entry, 0 a file entry */
    int32_t compressed;               /* 1 the file's data is stored compressed */
    uint64_t size;                    /* the file's size in bytes (0 for a folder) */
    uint64_t creation, access, write; /* Windows file times (files only) */
    uint32_t attributes;              /* the attribute word (files only) */
    const char *name;                 /* native relative path, native separators */
} quill_entry;
/* Called for each entry; a non-zero result stops the reading there. */
typedef int32_t (*quill_entry_handler)(void *context, const quill_entry *entry);
/* Reads the archive with the decryption's own reader and hands each entry
 * to handler instead of writing it; the data is deciphered (and inflated)
 * all the same, so that a damaged entry fails here as it fails decryption.
 * Writes nothing; shows the messages decryption shows, but for the
 * signature, which it does not check. Results as fukugousyori (0 also when
 * handler stopped the reading). */
QUILL_API int32_t naiyou_ichiran(const char *secret_path, const unsigned char *password,
                                 const char *archive_path, quill_entry_handler handler,
                                 void *context);
/* Decrypts the one archive, reading it once, into out_folder (an existing
 * folder; null or empty: the archive's own). Its entries are deciphered into
 * temporary files there while the archive is hashed; once the whole archive
 * is read its signature is checked under the sender's public key, and only
 * then are folders made and files moved into place, with the prompts and
 * results of fukugousyori. 0 done, the signature valid; -1 the signature
 * does not verify: nothing is left behind, unless keep_unverified is 1, when
 * everything is put in place all the same; 1 failure (nothing is left of
 * the files not yet in place); 2 the secret key does not belong to the
 * archive. A damaged archive (as fukugouka) is read to its end all the same
 * and its signature checked: -1 when it does not verify, nothing left
 * behind; when it verifies, or keep_unverified is 1, the entries in front
 * of the damage are put in place and the result is 1. A public key that
 * cannot be loaded gives 1 before anything is read. */
QUILL_API int32_t fukugou_kensyou(const char *secret_path, const unsigned char *password,
                                  const char *public_path, const char *archive_path,
                                  const char *out_folder, int32_t keep_unverified);
/* Decrypts the one archive into out_folder (an existing folder) instead of
 * the archive's own, with the same reader, prompts and results as
 * fukugousyori; the signature is not checked. */
QUILL_API int32_t fukugou_saki(const char *secret_path, const unsigned char *password,
                               const char *archive_path, const char *out_folder);

/* Every decryption writes each file to a temporary file beside its final
 * name (".quillseal-<process>-<n>.part", readable by its owner alone) and
 * renames it into place once it is complete, replacing an existing file
 * only after "上書き"; a failure leaves no partial file. On Windows, names
 * holding : * ? " < > | (which an archive made on Linux may hold) are
 * restored with the full-width forms of those characters, and one box names
 * them. */

/* Removes at once every temporary file of the running call: the partial
 * archive of angouka and the restored files not yet in place. For a program
 * that is about to end because it was interrupted; it may be called from a
 * signal handler (Linux) or a console control handler (Windows). The call
 * that was interrupted must not go on afterwards. */
QUILL_API void ichiji_sakujo(void);

#ifdef __cplusplus
}
#endif

#endif
