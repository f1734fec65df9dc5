// The library for other programs (quill.h): each call runs the library's
// own drivers on the caller's context, whose selection, generator, progress
// and reports are its own (Call), so that calls on two contexts may run at
// once on two threads.
#include "quill.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "digest_text.h"
#include "drivers/context.h"
#include "guarded.h"
#include "keys/keyfile.h"
#include "platform/platform.h"
#include "progress.h"
#include "quillcore.h"
#include "report.h"
#include "symmetric/random.h"

struct quill_ctx {
    quill::Context drivers;
    quill::Generator generator{};
    quill::progress::State progress;
    quill::Reporter reporter;
    // The failure of the last call as handed out, and its words.
    quill::Record last;
    std::string last_path, last_text;
    quill_failure view{};
};

namespace {

using quill::plat::Failure;

// One call on ctx: for its lifetime this thread runs on the context's own
// state; its end makes the context's last failure the call's first.
class Call {
  public:
    explicit Call(quill_ctx *ctx)
        : ctx_(ctx),
          drivers_(ctx->drivers),
          generator_(ctx->generator),
          progress_(ctx->progress),
          reporter_(ctx->reporter) {
        ctx->reporter.first = quill::Record{};
        ctx->reporter.stopped = false;
    }
    ~Call() {
        try {
            const quill::Record &r = ctx_->reporter.first;
            ctx_->last = r;
            ctx_->last_path = quill::plat::utf8_text(r.path);
            ctx_->last_text = quill::plat::utf8_text(quill::box_text(r));
        } catch (const std::bad_alloc &) {
            ctx_->last = quill::Record{};
            ctx_->last.kind = QUILL_FAIL_MEMORY;
        }
        ctx_->view = quill_failure{ctx_->last.kind, quill::cause_of(ctx_->last.cause),
                                   ctx_->last_path.c_str(), ctx_->last_text.c_str()};
    }
    Call(const Call &) = delete;
    Call &operator=(const Call &) = delete;

    // A failure that the library's own code did not report: recorded and
    // handed to the failure callback like the others.
    quill_status fail(const quill::Message &m, const std::string &path,
                      Failure why = quill::plat::kFailUnknown) {
        quill::fail(path, m, why);
        return QUILL_FAILED;
    }
    // What the library's exported call answered, as a status: a failure it
    // did not report itself is recorded as m.
    quill_status result(int32_t r, const quill::Message &m, const std::string &path) {
        if (r == 0) return ctx_->reporter.stopped ? QUILL_STOPPED : QUILL_OK;
        if (r == -1) return QUILL_BAD_SIGNATURE;
        if (r == 2) return QUILL_WRONG_KEY;
        if (ctx_->reporter.first.kind == QUILL_FAIL_NONE)
            fail(m, path, quill::plat::last_failure());
        return QUILL_FAILED;
    }

  private:
    quill_ctx *ctx_;
    quill::UseContext drivers_;
    quill::UseGenerator generator_;
    quill::progress::Use progress_;
    quill::UseReporter reporter_;
};

namespace msg = quill::msg;

// A UTF-8 path as a native one; false after a recorded failure.
bool path_of(Call &call, const char *utf8, std::string *out) {
    if (!utf8 || !*utf8) {
        call.fail(msg::kNoArgument, "");
        return false;
    }
    if (quill::plat::native_path(utf8, out) && out->size() < quill::plat::kPathMax) return true;
    call.fail(msg::kPathUnusable, utf8);
    return false;
}

// The password block of a UTF-8 password: its text in the code page,
// at least min bytes and at most 159, then zeros.
struct Password {
    unsigned char block[quill::kPasswordBytes] = {};
    ~Password() { quill::wipe(block, sizeof block); }
};
bool password_of(Call &call, const char *utf8, size_t min, Password *p) {
    std::string text;
    const bool ok = utf8 && quill::plat::password_text(utf8, &text) && text.size() >= min &&
                    text.size() < sizeof p->block;
    if (ok) text.copy(reinterpret_cast<char *>(p->block), text.size());
    quill::wipe(text.data(), text.size());
    if (!ok) call.fail(msg::kPasswordUnusable, "");
    return ok;
}

// The secret key and its password, checked before anything is read.
bool secret_of(Call &call, const char *secret_utf8, const char *password, std::string *secret,
               Password *p) {
    if (!path_of(call, secret_utf8, secret) || !password_of(call, password, 1, p)) return false;
    if (password_check(secret->c_str(), p->block) == 0) return true;
    call.fail(msg::kWrongPassword, *secret);
    return false;
}

// A public key, checked before anything is read or made: the calls that
// take one fail without naming it.
bool public_key_of(Call &call, const char *utf8, std::string *out) {
    if (!path_of(call, utf8, out)) return false;
    uint32_t y[QUILL_LIMBS];
    if (quill::load_public_key(out->c_str(), y) == 0) return true;
    call.fail(msg::kNotAKey, *out, quill::plat::last_failure());
    return false;
}

// quill_list's callback and its caller's, for naiyou_ichiran.
struct Listing {
    quill_entry_fn fn;
    void *user;
};

int32_t list_one(void *context, const quill_entry *e) {
    const Listing &l = *static_cast<const Listing *>(context);
    std::string name = quill::plat::utf8_text(e->name);
    for (char &c : name)
        if (c == quill::plat::kSep) c = '/';
    const quill_entry_info info{e->folder, e->size, e->write, name.c_str()};
    return l.fn(l.user, &info);
}

}  // namespace

quill_ctx *quill_ctx_new(void) {
    quill_ctx *ctx = new (std::nothrow) quill_ctx;
    if (ctx) ctx->reporter.own = true;
    return ctx;
}

void quill_ctx_free(quill_ctx *ctx) {
    if (!ctx) return;
    quill::wipe(&ctx->generator, sizeof ctx->generator);
    delete ctx;
}

void quill_on_progress(quill_ctx *ctx, quill_progress_fn fn, void *user) {
    ctx->progress.handler = fn;
    ctx->progress.context = user;
}

void quill_on_conflict(quill_ctx *ctx, quill_conflict_fn fn, void *user) {
    ctx->reporter.conflict = fn;
    ctx->reporter.conflict_user = user;
}

void quill_on_failure(quill_ctx *ctx, quill_failure_fn fn, void *user) {
    ctx->reporter.failure = fn;
    ctx->reporter.failure_user = user;
}

void quill_on_notice(quill_ctx *ctx, quill_notice_fn fn, void *user) {
    ctx->reporter.notice = fn;
    ctx->reporter.notice_user = user;
}

const quill_failure *quill_last_failure(const quill_ctx *ctx) {
    return &ctx->view;
}

quill_status quill_keypair_create(quill_ctx *ctx, const char *secret_path, const char *public_path,
                                  const char *password) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string secret, pub;
        Password p;
        if (!path_of(call, secret_path, &secret) || !path_of(call, public_path, &pub) ||
            !password_of(call, password, 8, &p))
            return QUILL_FAILED;
        return call.result(kagisakusei(secret.c_str(), pub.c_str(), p.block), msg::kKeyPairFailed,
                           secret);
    });
}

quill_status quill_public_key(quill_ctx *ctx, const char *public_path,
                              char fingerprint[QUILL_FINGERPRINT_SIZE]) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string pub;
        if (!public_key_of(call, public_path, &pub)) return QUILL_FAILED;
        uint32_t digest[QUILL_SHA_WORDS];
        if (SHA256(pub.c_str(), digest) != 0)
            return call.fail(msg::kNotAKey, pub, quill::plat::last_failure());
        char text[rules::kDigestTextBytes];
        rules::digest_text(digest, text);
        std::memcpy(fingerprint, text, QUILL_FINGERPRINT_SIZE - 1);
        fingerprint[QUILL_FINGERPRINT_SIZE - 1] = '\0';
        return QUILL_OK;
    });
}

quill_status quill_encrypt(quill_ctx *ctx, const char *const *paths, size_t count,
                           const char *archive_path, const char *secret_path, const char *password,
                           const char *recipient_path, int compress) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string secret, recipient, named, item;
        Password p;
        if (!paths || count == 0) return call.fail(msg::kNoArgument, "");
        if (!secret_of(call, secret_path, password, &secret, &p) ||
            !public_key_of(call, recipient_path, &recipient) ||
            (archive_path && !path_of(call, archive_path, &named)))
            return QUILL_FAILED;
        for (size_t i = 0; i < count; i++) {
            if (!path_of(call, paths[i], &item)) return QUILL_FAILED;
            file_get(int32_t(i), item.c_str());
        }
        const int32_t r = angouka_saki(secret.c_str(), p.block, recipient.c_str(), compress ? 1 : 0,
                                       named.empty() ? nullptr : named.c_str());
        // 2 is a signature that could not be made, not another key.
        return call.result(r == 2 ? 1 : r, msg::kSigningFailed, secret);
    });
}

quill_status quill_verify(quill_ctx *ctx, const char *archive_path, const char *sender_path) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string archive, sender;
        if (!path_of(call, archive_path, &archive) || !public_key_of(call, sender_path, &sender))
            return QUILL_FAILED;
        return call.result(syomei_kakunin(archive.c_str(), sender.c_str()), msg::kArchiveUnreadable,
                           archive);
    });
}

quill_status quill_list(quill_ctx *ctx, const char *archive_path, const char *secret_path,
                        const char *password, quill_entry_fn fn, void *user) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string archive, secret;
        Password p;
        if (!fn) return call.fail(msg::kNoArgument, "");
        if (!path_of(call, archive_path, &archive) ||
            !secret_of(call, secret_path, password, &secret, &p))
            return QUILL_FAILED;
        Listing l{fn, user};
        return call.result(naiyou_ichiran(secret.c_str(), p.block, archive.c_str(), list_one, &l),
                           msg::kArchiveUnreadable, archive);
    });
}

quill_status quill_decrypt(quill_ctx *ctx, const char *archive_path, const char *secret_path,
                           const char *password, const char *sender_path, const char *out_folder,
                           int keep_unverified) {
    return quill::guarded(QUILL_FAILED, [&]() -> quill_status {
        Call call(ctx);
        std::string archive, secret, sender, out;
        Password p;
        if (!path_of(call, archive_path, &archive) ||
            !secret_of(call, secret_path, password, &secret, &p) ||
            !public_key_of(call, sender_path, &sender) ||
            (out_folder && !path_of(call, out_folder, &out)))
            return QUILL_FAILED;
        return call.result(
            fukugou_kensyou(secret.c_str(), p.block, sender.c_str(), archive.c_str(),
                            out.empty() ? nullptr : out.c_str(), keep_unverified ? 1 : 0),
            msg::kArchiveUnreadable, archive);
    });
}
