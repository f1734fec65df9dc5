// The files a run leaves only when it is stopped outright, and how the
// next run that writes beside them finds them.
#ifndef QUILL_LEFTOVERS_H
#define QUILL_LEFTOVERS_H

#include <string>

namespace quill::place {

// The endings of the names this library gives its temporary files and the
// files it moves aside, after ".quillseal-<process>-<n>".
constexpr char kTempSuffix[] = ".part";
constexpr char kAsideSuffix[] = ".old";

// Removes from folder (a full path ending in a separator) the temporary
// files that runs killed outright left there, whose process no longer runs,
// and says so in one box; files such a run kept aside are named, not
// removed: they may be all that is left of a user's file.
void sweep_leftovers(const std::string &folder);

}  // namespace quill::place

#endif
