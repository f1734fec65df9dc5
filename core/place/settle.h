// Output names that something has already, settled with the user (the
// conflict prompt of filenamesyori), and what became of an entry or file.
#ifndef QUILL_SETTLE_H
#define QUILL_SETTLE_H

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace quill::place {

// What became of an entry or a file. kFailed: a box has said why.
enum Outcome { kPlaced, kStopped, kFailed };

// How an output name was settled.
enum Settled {
    kFree,     // nothing of that name exists
    kReplace,  // a file of that name exists; the user chose "上書き"
    kRenamed,  // the user chose "別名保存"; the path now holds a free name(N)
    kStop,     // the user chose "処理中止"
    kFail,     // no name could be settled; a box has said why
};
// A result of filenamesyori (or angoufilemeisakusei) on path as a Settled: a
// folder in the way is never overwritten, and no free name that fits fails.
Settled settled_from(int32_t code, const std::string &path);
// Settles the output name path with the user when something of that name
// exists (the prompt of filenamesyori).
Settled settle(std::string *path);
// True when something, a link included, has the name path; in, when given,
// is its folder held open, where the name is looked up alone.
bool taken(const std::string &path, plat::Folder *in);
// The name of path as calls inside its folder in take it: its last
// component, or without a folder the whole path.
const char *name_in(const std::string &path, plat::Folder *in);

}  // namespace quill::place

#endif
