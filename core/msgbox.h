// How the library shows a message: through the caller's handler when one is
// set (msgbox_set), else the platform's own box.
#ifndef QUILL_MSGBOX_H
#define QUILL_MSGBOX_H

#include "platform/platform.h"
#include "quillcore.h"

namespace quill {

// Returns the button id (QUILL_IDOK, QUILL_IDYES, ...).
int show_message(const char *text, const char *caption, unsigned type);

// The usual library box: OK button, exclamation icon, the concerned path as
// caption.
inline void warn(const char *caption, const char *text) {
    show_message(text, caption, QUILL_MB_OK | QUILL_MB_ICONEXCLAMATION);
}

// The cause of a failure in the user's words; null when the system gave
// none the user could act on.
const char *cause_text(plat::Failure why);

// The usual box for a failed file operation: what failed, then on a second
// line why, when the system said.
void warn(const char *caption, const char *text, plat::Failure why);

}  // namespace quill

#endif
