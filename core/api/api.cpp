// The library for other programs (quill.h): each call on the caller's
// context.
#include "quill.h"

quill_ctx *quill_ctx_new(void) {
    return nullptr;
}
