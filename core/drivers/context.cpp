// The drivers' context of the calls on each thread.
#include "drivers/context.h"

namespace {

// The context the exported calls share.
quill::Context shared;

}  // namespace

namespace quill {

Context &current() {
    return UseContext::active(shared);
}

Selection &selection() {
    return current().selection;
}

}  // namespace quill
