// What the drivers keep for the calls of one context: the selection that
// file_get builds and the drivers read, and the paths of the item being
// written or read. The exported calls share one context; a call on a
// context of quill.h has its own (UseContext), with its own generator,
// progress and reporter. Every field is read and changed by the thread that
// runs the call alone: the threads a call starts (the block stream's helper,
// the compression workers, the writer) are handed what they need.
#ifndef QUILL_CONTEXT_H
#define QUILL_CONTEXT_H

#include <string>

#include "drivers/selection.h"
#include "platform/platform.h"
#include "thread_use.h"

namespace quill {

struct Context {
    Selection selection;
    // An encryption: the item being written (a_filepath) under its entry
    // name (a_filename), and the archive the last call wrote (angoufilemei).
    std::string a_filepath;
    std::string a_filename;
    char archivefilepath[plat::kPathMax] = {};
    // The archive's path when the call names it (quill_encrypt); empty: the
    // first item followed by ".velm".
    std::string archive_named;
    // A decryption: the archive fukugousyori reads.
    std::string archive;
};

// The context of the calls on this thread.
Context &current();

// For its lifetime, the calls on this thread use c.
using UseContext = ThreadUse<Context>;

}  // namespace quill

#endif
