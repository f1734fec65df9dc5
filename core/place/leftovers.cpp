// Finding and removing what runs stopped outright left.
#include "place/leftovers.h"

#include "cleanup.h"
#include "messages.h"
#include "platform/platform.h"
#include "report.h"

namespace quill::place {

namespace {

// The process number in a name ".quillseal-<process>-<n><suffix>" that
// this library makes, and its suffix; false for any other name.
bool own_leftover(const char *name, uint32_t *process, std::string *suffix) {
    const char *number = cleanup::own_rest(name, process);
    if (!number) return false;
    const char *p = number;
    while (*p >= '0' && *p <= '9') p++;
    if (p == number) return false;
    *suffix = p;
    return true;
}

}  // namespace

void sweep_leftovers(const std::string &folder) {
    plat::DirSearch *search = plat::dir_open(folder.c_str());
    if (!search) return;
    std::string removed, kept;
    plat::DirEntry e;
    while (plat::dir_next(search, &e)) {
        uint32_t process;
        std::string suffix;
        if (e.kind != plat::kEntryFile || !own_leftover(e.name, &process, &suffix) ||
            plat::process_alive(process))
            continue;
        if (suffix == kTempSuffix) {
            if (plat::remove_file((folder + e.name).c_str()))
                removed += (removed.empty() ? "" : "\n") + std::string(e.name);
        } else if (suffix == kAsideSuffix) {
            kept += (kept.empty() ? "" : "\n") + std::string(e.name);
        }
    }
    plat::dir_close(search);
    if (!removed.empty()) note(folder, msg::kLeftoversRemoved, removed);
    if (!kept.empty()) note(folder, msg::kLeftoversKept, kept);
}

}  // namespace quill::place
