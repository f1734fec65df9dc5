// Names read from an archive are untrusted: what a reader may join to its
// output folder.
#ifndef QUILL_ENTRYNAME_H
#define QUILL_ENTRYNAME_H

namespace quill {

// True when name (code page 932, "\" between components, NUL-terminated)
// stays inside the folder it is appended to on every platform: not empty, no
// leading "\" or "/", no component that climbs out (".." and the like), no
// ":" (drives, streams), no control byte, every double-byte character whole,
// and on systems whose separator is "/" no "/" at all.
bool entry_name_safe(const char *name);

}  // namespace quill

#endif
