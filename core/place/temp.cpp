// Temporary files on their way to their final names.
#include "place/temp.h"

#include <set>

#include "messages.h"
#include "paths.h"
#include "place/leftovers.h"
#include "place/names.h"
#include "report.h"

namespace quill::place {

Temp::~Temp() {
    plat::Failure why;
    // The writer may still hold some of its data, or the file itself.
    if ((file_ || behind_closes_) && behind_) behind_->flush(&why);
    if (file_) plat::close(file_);
    if (listed_) {
        plat::remove_file(path_.c_str());
        cleanup::drop(listed_);
    }
}

bool Temp::create(const std::string &folder, const std::string &shown_as, plat::Folder *in) {
    // A name taken already (a file left by a killed run of a process that had
    // the same number) is passed over.
    for (int tries = 0; tries < 100; tries++) {
        path_ = cleanup::own_name(folder, kTempSuffix);
        if (path_.size() >= plat::kPathMax) {
            fail(shown_as.c_str(), msg::kPathTooLong);
            return false;
        }
        // On the list before it exists, so that no interruption misses it.
        listed_ = cleanup::add_temp(path_);
        file_ = plat::create_private(path_.c_str() + (in ? folder.size() : 0), in);
        if (file_) return true;
        const plat::Failure why = plat::last_failure();
        cleanup::drop(listed_);
        listed_ = nullptr;
        if (why != plat::kFailExists) {
            fail(shown_as.c_str(), msg::kCreateFailed, why);
            return false;
        }
    }
    fail(shown_as.c_str(), msg::kCreateFailed, plat::kFailExists);
    return false;
}

bool Temp::failed_write(const std::string &shown_as, plat::Failure why) {
    fail(shown_as.c_str(), msg::kWriteFailed, why);
    return false;
}

bool Temp::write(const void *data, size_t n, const std::string &shown_as) {
    plat::Failure why;
    if (behind_) return behind_->write(file_, data, n, &why) || failed_write(shown_as, why);
    return plat::write(file_, data, n) || failed_write(shown_as, plat::last_failure());
}

bool Temp::finish(const std::string &shown_as, const plat::FileTimes *times, uint32_t attributes) {
    plat::Failure why;
    if (behind_ && !behind_->flush(&why)) return failed_write(shown_as, why);
    plat::File *f = file_;
    file_ = nullptr;
    return end_file(f, times, attributes, flush_) || failed_write(shown_as, plat::last_failure());
}

bool Temp::finish_behind(const std::string &shown_as, const plat::FileTimes &times,
                         uint32_t attributes) {
    plat::Failure why;
    plat::File *f = file_;
    file_ = nullptr;
    behind_closes_ = true;
    return behind_->close(f, &times, attributes, flush_, &closed_, &why) ||
           failed_write(shown_as, why);
}

bool Temp::complete(const std::string &shown_as) {
    plat::Failure why;
    if (behind_closes_ && !closed_.complete) behind_->flush(&why);
    return !behind_closes_ || closed_.ok || failed_write(shown_as, closed_.failure);
}

bool Temp::placed(const std::string &path) {
    cleanup::drop(listed_);
    listed_ = nullptr;
    if (flush_ != plat::kFlushNow) return true;
    const std::string folder = folder_part(path);
    if (plat::flush_folder(folder.c_str())) return true;
    fail(path.c_str(), msg::kWriteFailed, plat::last_failure());
    return false;
}

bool Temp::place_free(const std::string &path, plat::Folder *in, bool *held) {
    *held = false;
    if (plat::rename_new(path_.c_str(), name_in(path, in), in)) return placed(path);
    const plat::Failure why = plat::last_failure();
    // Whatever the rename said, a name that something holds is settled.
    *held = why == plat::kFailExists || taken(path, in);
    if (!*held) fail(path.c_str(), msg::kPlaceFailed, why);
    return false;
}

Outcome Temp::place(std::string *path, Settled how, plat::Folder *in, const std::string *aside) {
    for (;;) {
        const char *name = name_in(*path, in);
        const bool moved = how == kReplace ? plat::rename_replace(path_.c_str(), name, in,
                                                                  aside ? aside->c_str() : nullptr)
                                           : plat::rename_new(path_.c_str(), name, in);
        if (moved) return placed(*path) ? kPlaced : kFailed;
        const plat::Failure why = plat::last_failure();
        if (how == kReplace || why != plat::kFailExists) {
            fail(path->c_str(), msg::kPlaceFailed, why);
            return kFailed;
        }
        // Another program took the name since it was settled.
        if (how == kRenamed) {
            if (!next_free_name(path)) {
                fail(path->c_str(), msg::kPathTooLong);
                return kFailed;
            }
            continue;
        }
        how = settle(path);
        if (how == kStop) return kStopped;
        if (how == kFail) return kFailed;
    }
}

bool flush_staged(const std::vector<const Temp *> &temps, const std::string &shown_as) {
    std::set<std::string> folders;
    for (const Temp *t : temps) folders.insert(folder_part(t->path()));
    if (plat::flush_batch(std::vector<std::string>(folders.begin(), folders.end()))) return true;
    fail(shown_as.c_str(), msg::kWriteFailed, plat::last_failure());
    return false;
}

}  // namespace quill::place
