// Library message boxes, routed through the caller's handler when one is set.
#include "msgbox.h"

#include <string>

#include "messages.h"
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

const char *quill::cause_text(plat::Failure why) {
    switch (why) {
        case plat::kFailNoSpace:
            return msg::kCauseNoSpace;
        case plat::kFailTooLarge:
            return msg::kCauseTooLarge;
        case plat::kFailReadOnly:
            return msg::kCauseReadOnly;
        case plat::kFailDenied:
            return msg::kCauseDenied;
        case plat::kFailInUse:
            return msg::kCauseInUse;
        case plat::kFailMissing:
            return msg::kCauseMissing;
        case plat::kFailExists:
            return msg::kCauseExists;
        case plat::kFailNotFile:
            return msg::kCauseNotFile;
        case plat::kFailIO:
            return msg::kCauseIO;
        case plat::kFailUnknown:
            break;
    }
    return nullptr;
}

void quill::warn(const char *caption, const char *text, plat::Failure why) {
    const char *cause = cause_text(why);
    if (!cause) return warn(caption, text);
    try {
        warn(caption, (std::string(text) + "\n" + cause).c_str());
    } catch (const std::bad_alloc &) {
        warn(caption, text);
    }
}
