// Library message boxes, routed through the caller's handler when one is set.
#include "archive/msgbox.h"

#include "platform/platform.h"
#include "quillcore.h"

namespace {

quill_msgbox_handler handler = nullptr;

}  // namespace

void msgbox_set(quill_msgbox_handler h) {
    handler = h;
}

int quill::show_message(const char *text, const char *caption, unsigned type) {
    if (handler) return handler(nullptr, text, caption, type);
    return plat::message_box(text, caption, type);
}
