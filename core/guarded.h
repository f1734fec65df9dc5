// The edge of an exported call: memory running out anywhere inside it ends
// the call with its failure result instead of leaving the library by an
// exception, which no caller in C could catch.
#ifndef QUILL_GUARDED_H
#define QUILL_GUARDED_H

#include <new>

namespace quill {

template <class Result, class Body>
Result guarded(Result failed, Body &&body) {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return failed;
    }
}

}  // namespace quill

#endif
