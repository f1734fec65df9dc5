// Names read from an archive are untrusted: what a reader may join to its
// output folder.
#ifndef QUILL_ENTRYNAME_H
#define QUILL_ENTRYNAME_H

#include <string>

#include "platform/platform.h"

namespace quill {

// True when name (code page 932, "\" between components, NUL-terminated)
// stays inside the folder it is appended to and names what it says: not
// empty, no leading separator, no empty component (so none at the end
// either), no "." component and none that climbs out (".." and the like), no
// control byte, every double-byte character whole, and on systems whose
// separator is "/" no "/" at all. A ":" is a character of the name like any
// other: Windows restores it in its full-width form, never as a drive or a
// stream (platform.h). With windows_names it also refuses what Windows would
// read as something else: the device names (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, CONIN$, CONOUT$, with or without an extension, in any case) and
// components ending in a full stop or a space, which Windows drops.
bool entry_name_safe(const char *name, bool windows_names = plat::kWindowsNames);

// A safe entry name as Windows can hold it, still code page 932: the
// characters no Windows name may hold (: * ? " < > |), the stem of a device
// name ("ＣＯＮ", "ｎｕｌ.txt") and the full stops and spaces that end a
// component (which Windows would drop) in their full-width forms. *changed
// says whether anything was.
std::string windows_spelling(const char *name, bool *changed);

}  // namespace quill

#endif
