// The drivers' context of the calls on each thread.
#include "drivers/context.h"

namespace {

// The context the exported calls share, and the one each thread uses.
quill::Context shared;
thread_local quill::Context *active = &shared;

}  // namespace

namespace quill {

Context &current() {
    return *active;
}

Selection &selection() {
    return active->selection;
}

UseContext::UseContext(Context &c) : previous_(active) {
    active = &c;
}

UseContext::~UseContext() {
    active = previous_;
}

}  // namespace quill
