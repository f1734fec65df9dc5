// What an interrupted program must not leave behind: the temporary files
// not yet in place, which the cleanup removes, and the user's files moved
// aside to make way for something new, which it puts back. ichiji_sakujo
// walks this list.
//
// The list is doubly linked, so that each item leaves it at once however
// many there are. It changes only while the cleanup is held off (plat::
// cleanup_hold), so the cleanup, which may interrupt the caller's thread at
// any instruction, always walks a whole list, newest item first.
#ifndef QUILL_CLEANUP_H
#define QUILL_CLEANUP_H

#include <cstdint>
#include <string>

namespace quill::cleanup {

struct Item;

// path (a full path) is removed by the cleanup: put on the list before the
// file exists, so that no interruption misses it.
Item *add_temp(const std::string &path);
// The file kept at aside goes back under path (full paths); a folder made at
// path meanwhile is removed first when it is empty.
Item *add_aside(const std::string &path, const std::string &aside);
// Takes the item off the list: the file took its name, or was removed or
// put back by its owner.
void drop(Item *item);

// Every name the library makes beside a user's files: ".quillseal-<process>-"
// and the rest, in folder (a full path ending in a separator).
std::string own_name(const std::string &folder, uint32_t process, const std::string &rest);
// A name of this process's own in folder: the rest is "<n>" followed by
// suffix, n counting every such name the process makes.
std::string own_name(const std::string &folder, const char *suffix);
// Where the rest of a name ".quillseal-<process>-<rest>" starts, its process
// in *process; nullptr for any other name.
const char *own_rest(const char *name, uint32_t *process);

}  // namespace quill::cleanup

#endif
