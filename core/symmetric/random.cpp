// The library's one random generator: a tower of 21 levels of quadratic
// congruential recurrences modulo 2^32 with a 512-entry shuffle table at the
// bottom. Seeded with the same bytes it always yields the same words, and the
// block cipher draws its key schedule and keystream from it, so every
// recurrence, constant and order of update below is part of the stored format.
#include <cstring>
#include <ctime>
#include <vector>

#include "bytes.h"
#include "platform/platform.h"
#include "quillcore.h"
#include "symmetric/random.h"

namespace {

constexpr int kLevels = quill::Generator::kLevels;
constexpr int kStock = quill::Generator::kStock;
constexpr int kSeedWords = 128;
constexpr uint32_t kLcgMul = 0x41C64E6D;
constexpr uint32_t kLcgAdd = 0x3039;

using quill::step;

// The process's own generator.
quill::Generator process_generator;

// Steps level n, and the levels above it when its counter runs out.
void step_level(quill::Generator &g, uint32_t n) {
    if (n < 1 || n >= uint32_t(kLevels)) return;  // no such level: nothing to step
    if (--g.kosuu[n] == 0 && n <= 19) {
        // The level above steps first; its fresh values re-draw this level.
        step_level(g, n + 1);
        g.kosuu[n] = ((g.x[n - 1] ^ g.x[n + 1]) >> 28) + 16;
        // Always level 0's second state with level 0's parameters.
        g.y[0] = step(g.y[0], g.a[0], g.b[0]);
        g.a[n] = ((g.y[n - 1] ^ g.x[n + 1]) & 0xFFFFFFFCu) | 1;
        g.b[n] = (g.x[n - 1] ^ g.y[n + 1]) | 1;
    }
    // Level 20 never re-draws: its counter wraps and it keeps its seeding.
    g.x[n] = step(g.x[n], g.a[n], g.b[n]);
    g.y[n] = step(g.y[n], g.a[n], g.b[n]);
}

}  // namespace

quill::Generator &quill::active_generator() {
    return UseGenerator::active(process_generator);
}

void quill::redraw_level0(Generator &g) {
    step_level(g, 1);
    g.kosuu[0] = (g.x[1] >> 28) + 16;
    g.a[0] = (g.x[1] & 0xFFFFFFFCu) | 1;
    g.b[0] = g.y[1] | 1;
}

void quill::draw_words(Generator &g, uint32_t *out, size_t n) {
    uint32_t x = g.x[0], a = g.a[0], b = g.b[0], left = g.kosuu[0];
    uint32_t *const stock = g.stock;
    for (size_t i = 0; i < n; i++) {
        if (--left == 0) {
            // The tower above reads level 0's state: hand it back first.
            g.x[0] = x;
            g.kosuu[0] = 0;
            redraw_level0(g);
            a = g.a[0];
            b = g.b[0];
            left = g.kosuu[0];
        }
        const uint32_t t = step(x, a, b);
        const uint32_t j = x >> 23;
        x = stock[j];
        stock[j] = t;
        out[i] = t ^ x ^ stock[t >> 23];
    }
    g.x[0] = x;
    g.kosuu[0] = left;
}

uint32_t makeransuu(void) {
    return quill::next_word(quill::active_generator());
}

void kaisou(uint32_t n) {
    step_level(quill::active_generator(), n);
}

void initialize_array(const unsigned char *seed, int32_t length) {
    quill::Generator &g = quill::active_generator();
    uint32_t s[kSeedWords] = {};
    unsigned char bytes[kSeedWords * 4] = {};
    // The work array holds 512 bytes; a longer seed is cut there rather than
    // written past the array.
    size_t n = length < 0 ? 0 : size_t(length);
    if (n > sizeof bytes) n = sizeof bytes;
    if (n) std::memcpy(bytes, seed, n);
    for (int i = 0; i < kSeedWords; i++) s[i] = quill::load32_le(bytes + 4 * i);

    // Stirring: every word feeds its successor, round the ring ten times.
    int j = 0;
    for (int step_no = 0; step_no < 0x500; step_no++) {
        const int i = j;
        j = j < kSeedWords - 1 ? j + 1 : 0;
        s[i] ^= s[i] >> 16;
        s[i] = s[i] * kLcgMul + kLcgAdd;
        s[j] ^= s[i];
    }

    // Drawing: k stays put within one level's four draws.
    int k = 0;
    auto draw = [&] { return s[k] = s[k] * kLcgMul + kLcgAdd; };
    auto next = [&] { k = k < kSeedWords - 1 ? k + 1 : 0; };
    for (int L = 0; L < kLevels; L++) {
        g.x[L] = draw();
        g.y[L] = draw();
        g.a[L] = (draw() & 0xFFFFFFFCu) | 1;
        g.b[L] = draw() | 1;
        g.kosuu[L] = 1;
        next();
    }
    for (int m = 0; m < kStock; m++) {
        g.stock[m] = draw();
        next();
    }
    // Every counter is 1, so the first call re-draws the whole tower.
    for (int i = 0; i < 0x1000; i++) makeransuu();
    quill::wipe(s, sizeof s);
    quill::wipe(bytes, sizeof bytes);
}

int32_t ransuu_tane(unsigned char *buf, int32_t length) {
    if (length < 0) return 1;
    // Fill a scratch copy first: on failure the caller's buffer and the
    // generator stay exactly as they were.
    std::vector<unsigned char> fresh(size_t(length) + 1);
    if (quill::plat::random_bytes(fresh.data(), length) != 0) return 1;

    constexpr uint64_t A = 0x5851F42D4C957F2DULL;
    const uint32_t secs = uint32_t(time(nullptr));
    const int32_t clk = int32_t(clock());
    // A negative clock value sets every bit of the high word.
    uint64_t s = (uint64_t(secs) << 32) | uint64_t(int64_t(clk));
    s = s * A + 1;
    s += quill::plat::tick_count();
    s = s * A + 1;
    unsigned char seed[8];
    quill::store32_le(seed, uint32_t(s >> 32));
    s = s * A + 1;
    quill::store32_le(seed + 4, uint32_t(s >> 32));
    initialize_array(seed, sizeof seed);

    // Whole words only; a remainder keeps the system's bytes alone.
    for (int32_t i = 0; i < length / 4; i++) {
        const uint32_t r = makeransuu();
        quill::store32_le(fresh.data() + 4 * i, r ^ quill::load32_le(fresh.data() + 4 * i));
    }
    std::memcpy(buf, fresh.data(), size_t(length));
    quill::wipe(fresh.data(), fresh.size());
    quill::wipe(seed, sizeof seed);
    return 0;
}
