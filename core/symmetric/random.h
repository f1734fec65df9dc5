// The library's random generator as the rest of the library sees it: the one
// process-wide state and the step that yields an output word, inline so that
// the cipher's keystream costs no call per word.
#ifndef QUILL_RANDOM_H
#define QUILL_RANDOM_H

#include <cstddef>
#include <cstdint>

#include "thread_use.h"

namespace quill {

// A tower of 21 levels of quadratic congruential recurrences modulo 2^32;
// level 0 yields the output through a 512-entry shuffle table. All zero until
// the first seeding, which sets every word that is read afterwards.
struct Generator {
    static constexpr int kLevels = 21;  // levels 0..20; level 20 is the top
    static constexpr int kStock = 512;
    uint32_t x[kLevels];
    uint32_t y[kLevels];
    uint32_t a[kLevels];  // always 1 mod 4 after seeding
    uint32_t b[kLevels];  // always odd after seeding
    uint32_t kosuu[kLevels];
    uint32_t stock[kStock];
};

// The generator that the calls running on this thread seed and draw from:
// the process's own, which the exported functions share, unless a call on a
// context of its own (quill.h) has given the thread that context's
// (UseGenerator). The cipher relies on its key schedule and its keystream
// coming from one state; a thread that draws for a call (the block stream's
// helper) is handed the call's generator.
Generator &active_generator();

// For its lifetime, the calls on this thread use g; the one before after.
using UseGenerator = ThreadUse<Generator>;

// v <- 4v^2 + a v + b; with a = 1 mod 4 and b odd the period is 2^32.
inline uint32_t step(uint32_t v, uint32_t a, uint32_t b) {
    return (4 * v + a) * v + b;
}

// Steps level 1 and re-draws level 0's counter and parameters from it.
void redraw_level0(Generator &g);

// The next output word (what makeransuu returns).
inline uint32_t next_word(Generator &g) {
    if (--g.kosuu[0] == 0) redraw_level0(g);
    const uint32_t t = step(g.x[0], g.a[0], g.b[0]);
    const uint32_t j = g.x[0] >> 23;
    g.x[0] = g.stock[j];
    g.stock[j] = t;
    // Read after the store: when t >> 23 == j the last term is t itself.
    return t ^ g.x[0] ^ g.stock[t >> 23];
}

// The next n output words into out, the same as n calls of next_word, with
// the generator's hot state held in registers between them.
void draw_words(Generator &g, uint32_t *out, size_t n);

}  // namespace quill

#endif
