// Outputs named with -o, standard input and standard output.
#include "destinations.h"

#include <cstring>
#include <vector>

#include "answers.h"
#include "output.h"
#include "quillcore.h"
#include "system.h"
#include "texts.h"

bool output_path(const std::string &typed, std::string *path) {
    if (!sys::full_path(typed, path)) {
        err() << Native{typed} << text::kNoFolder;
        return false;
    }
    if (sys::kind(*path) == sys::kFolder) {
        err() << Native{typed} << ": " << text::kIsFolder;
        return false;
    }
    return true;
}

Settled settle_output(std::string *path) {
    std::vector<char> buffer(sys::kPathBytes, '\0');
    path->copy(buffer.data(), buffer.size() - 1);
    switch (filenamesyori(buffer.data())) {
        case 0:
            return Settled::kFree;
        case 1:
            return Settled::kReplace;
        case 2:
            *path = buffer.data();
            return Settled::kFree;
        case 3:
            return Settled::kStop;
        default:
            err() << Native{*path} << ": " << text::kPathTooLong;
            return Settled::kStop;
    }
}

void say_stopped(const std::string &path) {
    err() << Native{path} << text::kCopyStopped;
    if (conflicts().unasked) err() << text::kAnswerWithFlag;
}

bool take_input(const std::string &name, std::string *path) {
    std::string folder;
    if (!sys::make_scratch("", &folder)) {
        err() << Native{name} << text::kNoScratch;
        return false;
    }
    *path = folder + name;
    switch (sys::save_input(*path)) {
        case sys::kCopied:
            return true;
        case sys::kSourceFailed:
            err() << text::kStdinUnreadable;
            return false;
        case sys::kTargetFailed:
            break;
    }
    err() << Native{*path} << text::kScratchFull;
    return false;
}

bool send_output(const std::string &path) {
    switch (sys::send_file(path)) {
        case sys::kCopied:
            return true;
        case sys::kSourceFailed:
            err() << Native{path} << ": " << text::kIsUnreadable;
            return false;
        case sys::kTargetFailed:
            break;
    }
    err() << text::kStdoutFailed;
    return false;
}
