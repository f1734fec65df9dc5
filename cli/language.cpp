// The language, chosen from the environment.
#include "language.h"

#include <cstdlib>
#include <cstring>

#include "system.h"

namespace {

bool in_english = false;

}  // namespace

void text::choose_language() {
    const char *wanted = std::getenv("QUILLSEAL_LANG");
    if (wanted && std::strcmp(wanted, "ja") == 0)
        in_english = false;
    else if (wanted && std::strcmp(wanted, "en") == 0)
        in_english = true;
    else
        in_english = !sys::japanese_user();
}

bool text::english() {
    return in_english;
}
