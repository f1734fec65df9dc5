/* quill_example: two files encrypted at once, on two threads, for the
 * holder of a new key pair, and both archives opened again.
 *
 *   quill_example FOLDER
 *
 * In FOLDER (an existing folder) it makes the key pair alice.velh and
 * alice.velk, the files first.txt and second.bin, their archives
 * first.velm and second.velm, and the folder restored with the decrypted
 * files, which it compares with the originals. Exits 0 when they match.
 */
#include <errno.h>
#include <pthread.h>
#include <quill.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <direct.h>
#define make_folder(path) _mkdir(path)
#else
#include <sys/stat.h>
#define make_folder(path) mkdir(path, 0777)
#endif

#define PASSWORD "correct horse battery"
#define PATH_SIZE 4096

/* The library's words for a failure, with the file concerned. */
static void print_failure(void *user, const quill_failure *failure) {
    fprintf(stderr, "%s: %s%s%s\n", (const char *)user, failure->message,
            failure->path[0] ? ": " : "", failure->path);
}

/* Output that exists already is replaced: the example may run again. */
static quill_answer replace(void *user, const char *path) {
    (void)user;
    (void)path;
    return QUILL_OVERWRITE;
}

/* One encryption, run on a thread of its own with a context of its own. */
struct job {
    const char *input;
    const char *archive;
    const char *secret_key;
    const char *public_key;
    quill_status status;
};

static void *encrypt_job(void *arg) {
    struct job *job = arg;
    quill_ctx *ctx = quill_ctx_new();
    if (!ctx) {
        job->status = QUILL_FAILED;
        return NULL;
    }
    quill_on_failure(ctx, print_failure, (void *)job->input);
    quill_on_conflict(ctx, replace, NULL);
    /* Signed with alice's secret key, for alice's own public key. */
    job->status = quill_encrypt(ctx, &job->input, 1, job->archive, job->secret_key, PASSWORD,
                                job->public_key, 1);
    quill_ctx_free(ctx);
    return NULL;
}

/* folder/name in out; 0 when that does not fit. */
static int join(char *out, const char *folder, const char *name) {
    int n = snprintf(out, PATH_SIZE, "%s/%s", folder, name);
    return n > 0 && n < PATH_SIZE;
}

static int write_file(const char *path, const char *data, size_t size) {
    FILE *f = fopen(path, "wb");
    if (!f) return 0;
    int ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

/* 1 when the files at a and b hold the same bytes. */
static int same_file(const char *a, const char *b) {
    FILE *fa = fopen(a, "rb"), *fb = fopen(b, "rb");
    int same = fa && fb;
    while (same) {
        int ca = fgetc(fa), cb = fgetc(fb);
        same = ca == cb;
        if (ca == EOF) break;
    }
    if (fa) fclose(fa);
    if (fb) fclose(fb);
    return same;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: quill_example FOLDER\n");
        return 2;
    }
    static char secret_key[PATH_SIZE], public_key[PATH_SIZE], inputs[2][PATH_SIZE],
        archives[2][PATH_SIZE], restored_folder[PATH_SIZE], restored[2][PATH_SIZE];
    const char *names[2] = {"first.txt", "second.bin"};
    const char *archive_names[2] = {"first.velm", "second.velm"};
    int fits = join(secret_key, argv[1], "alice.velh") && join(public_key, argv[1], "alice.velk") &&
               join(restored_folder, argv[1], "restored");
    for (int i = 0; i < 2; i++) {
        fits = fits && join(inputs[i], argv[1], names[i]) &&
               join(archives[i], argv[1], archive_names[i]) &&
               join(restored[i], restored_folder, names[i]);
    }
    if (!fits) {
        fprintf(stderr, "the folder's name is too long\n");
        return 2;
    }

    /* The files to encrypt: a line of text, and 1 MiB that compresses. */
    static char data[1 << 20];
    for (size_t i = 0; i < sizeof data; i++) data[i] = (char)(i % 251);
    const char *text = "Encrypted on one thread while another encrypted too.\n";
    if (!write_file(inputs[0], text, strlen(text)) || !write_file(inputs[1], data, sizeof data)) {
        fprintf(stderr, "cannot write the files to encrypt in %s\n", argv[1]);
        return 1;
    }

    quill_ctx *ctx = quill_ctx_new();
    if (!ctx) {
        fprintf(stderr, "out of memory\n");
        return 1;
    }
    quill_on_failure(ctx, print_failure, "quill_example");
    quill_on_conflict(ctx, replace, NULL);

    char fingerprint[QUILL_FINGERPRINT_SIZE];
    if (quill_keypair_create(ctx, secret_key, public_key, PASSWORD) != QUILL_OK ||
        quill_public_key(ctx, public_key, fingerprint) != QUILL_OK) {
        quill_ctx_free(ctx);
        return 1;
    }
    printf("key pair alice, fingerprint %s\n", fingerprint);

    /* Both encryptions at once, each on its own thread and context. */
    struct job jobs[2];
    pthread_t threads[2];
    int started = 0;
    for (; started < 2; started++) {
        jobs[started] =
            (struct job){inputs[started], archives[started], secret_key, public_key, QUILL_FAILED};
        if (pthread_create(&threads[started], NULL, encrypt_job, &jobs[started]) != 0) break;
    }
    for (int i = 0; i < started; i++) pthread_join(threads[i], NULL);
    int failed = started < 2;
    if (failed) fprintf(stderr, "cannot start a thread\n");

    /* Both archives opened into one folder, one after the other on this
     * thread's context; each signature is checked against alice's key. */
    if (!failed && make_folder(restored_folder) != 0 && errno != EEXIST) {
        fprintf(stderr, "cannot make the folder %s\n", restored_folder);
        failed = 1;
    }
    for (int i = 0; i < 2 && !failed; i++) {
        if (jobs[i].status != QUILL_OK) {
            failed = 1;
        } else if (quill_decrypt(ctx, archives[i], secret_key, PASSWORD, public_key,
                                 restored_folder, 0) != QUILL_OK) {
            failed = 1;
        } else if (!same_file(inputs[i], restored[i])) {
            fprintf(stderr, "%s differs from %s\n", restored[i], inputs[i]);
            failed = 1;
        } else {
            printf("%s -> %s -> %s\n", inputs[i], archives[i], restored[i]);
        }
    }
    quill_ctx_free(ctx);
    return failed;
}
