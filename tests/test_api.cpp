// The library for other programs (quill.h), used as such a program uses it:
// linked alone, on contexts of its own, from several threads at once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "files.h"
#include "quill.h"

namespace {

constexpr char kPassword[] = "パスワード-pass";

// Bytes that do not compress, the same for the same seed.
Bytes noise(size_t n, uint32_t seed) {
    Bytes b(n);
    for (unsigned char &c : b)
        c = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 24);
    return b;
}

struct Ctx {
    quill_ctx *c = quill_ctx_new();
    std::vector<quill_failure_kind> failures;
    Ctx() {
        quill_on_failure(
            c,
            [](void *user, const quill_failure *f) {
                static_cast<Ctx *>(user)->failures.push_back(f->kind);
            },
            this);
    }
    ~Ctx() { quill_ctx_free(c); }
};

class Api : public ::testing::Test {
  protected:
    std::string at(const std::string &name) const { return dir_ / name; }
    // A pair named name, made on its own context.
    void pair(const std::string &name) {
        Ctx k;
        ASSERT_EQ(quill_keypair_create(k.c, at(name + ".velh").c_str(), at(name + ".velk").c_str(),
                                       kPassword),
                  QUILL_OK);
    }

  private:
    ScratchDir dir_{std::string("api_") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

// Two contexts encrypt and decrypt at once on two threads; each archive
// opens for its recipient and verifies for its sender.
TEST_F(Api, TwoContextsRunAtOnce) {
    pair("alice");
    pair("bob");
    const std::vector<std::string> who = {"alice", "bob"};
    for (const std::string &w : who) {
        fs::create_directories(at(w + "/sub"));
        write_file(at(w + "/sub/data.bin"), noise(3 << 20, uint32_t(w.size())));
        fs::create_directories(at(w + "-out"));
    }
    std::vector<quill_status> results(4, QUILL_FAILED);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < 2; i++) {
        threads.emplace_back([&, i] {
            Ctx ctx;
            const std::string me = who[i], other = who[1 - i];
            const std::string item = at(me);
            const char *paths[] = {item.c_str()};
            results[2 * i] = quill_encrypt(ctx.c, paths, 1, nullptr, at(me + ".velh").c_str(),
                                           kPassword, at(other + ".velk").c_str(), int(i));
            results[2 * i + 1] =
                quill_decrypt(ctx.c, (item + ".velm").c_str(), at(other + ".velh").c_str(),
                              kPassword, at(me + ".velk").c_str(), at(me + "-out").c_str(), 0);
        });
    }
    for (std::thread &t : threads) t.join();
    EXPECT_EQ(results, std::vector<quill_status>(4, QUILL_OK));
    for (const std::string &w : who)
        EXPECT_EQ(read_file(at(w + "-out/" + w + "/sub/data.bin")),
                  read_file(at(w + "/sub/data.bin")));
}

// Failures come back as values: the kind, the file, and the call's status.
TEST_F(Api, FailuresAreValues) {
    pair("alice");
    Ctx ctx;
    char fp[QUILL_FINGERPRINT_SIZE];
    EXPECT_EQ(quill_public_key(ctx.c, at("alice.velk").c_str(), fp), QUILL_OK);
    EXPECT_EQ(std::strlen(fp), 44u);
    EXPECT_EQ(quill_last_failure(ctx.c)->kind, QUILL_FAIL_NONE);
    write_file(at("empty.velk"), Bytes());
    EXPECT_EQ(quill_public_key(ctx.c, at("empty.velk").c_str(), fp), QUILL_FAILED);
    EXPECT_EQ(quill_last_failure(ctx.c)->kind, QUILL_FAIL_KEY);
    EXPECT_EQ(quill_last_failure(ctx.c)->path, at("empty.velk"));

    write_file(at("doc.txt"), bytes_of("doc"));
    const std::string doc = at("doc.txt");
    const char *paths[] = {doc.c_str()};
    EXPECT_EQ(quill_encrypt(ctx.c, paths, 1, nullptr, at("alice.velh").c_str(), "wrong password",
                            at("alice.velk").c_str(), 1),
              QUILL_FAILED);
    EXPECT_EQ(quill_last_failure(ctx.c)->kind, QUILL_FAIL_PASSWORD);
    // A recipient that is no key is named, before anything is made.
    EXPECT_EQ(quill_encrypt(ctx.c, paths, 1, nullptr, at("alice.velh").c_str(), kPassword,
                            at("empty.velk").c_str(), 1),
              QUILL_FAILED);
    EXPECT_EQ(quill_last_failure(ctx.c)->kind, QUILL_FAIL_KEY);
    EXPECT_EQ(quill_last_failure(ctx.c)->path, at("empty.velk"));
    EXPECT_FALSE(exists(at("doc.txt.velm")));
    EXPECT_EQ(quill_decrypt(ctx.c, at("missing.velm").c_str(), at("alice.velh").c_str(), kPassword,
                            at("alice.velk").c_str(), nullptr, 0),
              QUILL_FAILED);
    EXPECT_EQ(quill_last_failure(ctx.c)->kind, QUILL_FAIL_OPEN);
    EXPECT_EQ(quill_last_failure(ctx.c)->cause, QUILL_CAUSE_MISSING);
    EXPECT_EQ(ctx.failures, (std::vector<quill_failure_kind>{QUILL_FAIL_KEY, QUILL_FAIL_PASSWORD,
                                                             QUILL_FAIL_KEY, QUILL_FAIL_OPEN}));
}

// A name that exists is the conflict callback's to settle; without one the
// call stops and changes nothing.
TEST_F(Api, ConflictsAskTheCallback) {
    pair("alice");
    write_file(at("doc.txt"), bytes_of("doc"));
    write_file(at("doc.txt.velm"), bytes_of("old"));
    const std::string doc = at("doc.txt");
    const char *paths[] = {doc.c_str()};
    Ctx ctx;
    const auto encrypt = [&] {
        return quill_encrypt(ctx.c, paths, 1, nullptr, at("alice.velh").c_str(), kPassword,
                             at("alice.velk").c_str(), 1);
    };
    EXPECT_EQ(encrypt(), QUILL_STOPPED);
    EXPECT_EQ(read_file(at("doc.txt.velm")), bytes_of("old"));
    quill_on_conflict(
        ctx.c, [](void *, const char *) { return QUILL_RENAME; }, nullptr);
    EXPECT_EQ(encrypt(), QUILL_OK);
    EXPECT_EQ(quill_verify(ctx.c, at("doc.txt(1).velm").c_str(), at("alice.velk").c_str()),
              QUILL_OK);
    std::vector<std::string> names;
    const auto collect = [](void *user, const quill_entry_info *e) {
        static_cast<std::vector<std::string> *>(user)->push_back(e->name);
        return 0;
    };
    EXPECT_EQ(quill_list(ctx.c, at("doc.txt(1).velm").c_str(), at("alice.velh").c_str(), kPassword,
                         collect, &names),
              QUILL_OK);
    EXPECT_EQ(names, std::vector<std::string>{"doc.txt"});
    EXPECT_EQ(quill_verify(ctx.c, at("doc.txt.velm").c_str(), at("alice.velk").c_str()),
              QUILL_FAILED);
}

}  // namespace
