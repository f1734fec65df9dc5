// Placing new archives and restored files: temporary files, the list an
// interruption's cleanup removes, settled names and the folders below a
// destination.
#include "archive/placement.h"

#include <new>

#include "archive/msgbox.h"
#include "archive/names.h"
#include "archive/paths.h"
#include "messages.h"
#include "quillcore.h"

namespace quill::place {

// ---- the temporary files an interruption removes ------------------------------

// A doubly linked list, so that each file leaves it at once however many
// are staged. It changes only while the cleanup is held off (plat::
// cleanup_hold), so the cleanup, which may interrupt the caller's thread at
// any instruction, always walks a whole list.
struct Listed {
    Listed *prev;
    Listed *next;
    char *path;
};

namespace {

Listed *listed_head = nullptr;
uint32_t temp_count = 0;  // numbers the temporary files of this process

Listed *enlist(const std::string &path) {
    Listed *l = new Listed{nullptr, nullptr, new char[path.size() + 1]};
    path.copy(l->path, path.size());
    l->path[path.size()] = '\0';
    plat::cleanup_hold();
    l->next = listed_head;
    if (listed_head) listed_head->prev = l;
    listed_head = l;
    plat::cleanup_release();
    return l;
}

void delist(Listed *l) {
    plat::cleanup_hold();
    if (l->prev)
        l->prev->next = l->next;
    else
        listed_head = l->next;
    if (l->next) l->next->prev = l->prev;
    plat::cleanup_release();
    delete[] l->path;
    delete l;
}

}  // namespace

// ---- settled names ------------------------------------------------------------------

Settled settled_from(int32_t code, const std::string &path) {
    switch (code) {
        case 0:
            return kFree;
        case 1: {
            // A link that leads nowhere has no attributes, and is a file here.
            const uint32_t attrs = plat::attributes(path.c_str());
            if (attrs != plat::kNoAttributes && (attrs & plat::kAttrDirectory)) {
                warn(path.c_str(), msg::kFolderNotReplaced);
                return kFail;
            }
            return kReplace;
        }
        case 2:
            return kRenamed;
        case 3:
            return kStop;
        default:
            warn(path.c_str(), msg::kPathTooLong);
            return kFail;
    }
}

namespace {

// The name of path as calls inside its folder in take it: its last
// component, or without a folder the whole path.
const char *name_in(const std::string &path, plat::Folder *in) {
    return path.c_str() + (in ? name_start(path) : 0);
}

}  // namespace

bool taken(const std::string &path, plat::Folder *in) {
    return plat::exists(name_in(path, in), in);
}

Settled settle(std::string *path) {
    char buf[plat::kPathMax];
    if (path->size() >= sizeof buf) {
        warn(path->c_str(), msg::kPathTooLong);
        return kFail;
    }
    path->copy(buf, path->size());
    buf[path->size()] = '\0';
    const Settled how = settled_from(filenamesyori(buf), *path);
    *path = buf;
    return how;
}

// ---- temporary files ------------------------------------------------------------------

Temp::~Temp() {
    plat::Failure why;
    // The writer may still hold some of its data, or the file itself.
    if ((file_ || behind_closes_) && behind_) behind_->flush(&why);
    if (file_) plat::close(file_);
    if (listed_) {
        plat::remove_file(path_.c_str());
        delist(listed_);
    }
}

bool Temp::create(const std::string &folder, const std::string &shown_as, plat::Folder *in) {
    in_ = in;
    name_at_ = folder.size();
    // A name taken already (a file left by a killed run of a process that had
    // the same number) is passed over.
    for (int tries = 0; tries < 100; tries++) {
        path_ = folder + ".quillseal-" + std::to_string(plat::process_id()) + "-" +
                std::to_string(temp_count++) + ".part";
        if (path_.size() >= plat::kPathMax) {
            warn(shown_as.c_str(), msg::kPathTooLong);
            return false;
        }
        // On the list before it exists, so that no interruption misses it.
        listed_ = enlist(path_);
        file_ = plat::create_private(own_name(), in_);
        if (file_) return true;
        const plat::Failure why = plat::last_failure();
        delist(listed_);
        listed_ = nullptr;
        if (why != plat::kFailExists) {
            warn(shown_as.c_str(), msg::kCreateFailed, why);
            return false;
        }
    }
    warn(shown_as.c_str(), msg::kCreateFailed, plat::kFailExists);
    return false;
}

bool Temp::failed_write(const std::string &shown_as, plat::Failure why) {
    warn(shown_as.c_str(), msg::kWriteFailed, why);
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
    return end_file(f, times, attributes) || failed_write(shown_as, plat::last_failure());
}

bool Temp::place_free(const std::string &path, plat::Folder *in, bool *held) {
    *held = false;
    if (plat::rename_new(own_name(), name_in(path, in), in_, in)) {
        delist(listed_);
        listed_ = nullptr;
        return true;
    }
    const plat::Failure why = plat::last_failure();
    // Whatever the rename said, a name that something holds is settled.
    *held = why == plat::kFailExists || taken(path, in);
    if (!*held) warn(path.c_str(), msg::kPlaceFailed, why);
    return false;
}

bool Temp::finish_behind(const std::string &shown_as, const plat::FileTimes &times,
                         uint32_t attributes) {
    plat::Failure why;
    plat::File *f = file_;
    file_ = nullptr;
    behind_closes_ = true;
    return behind_->close(f, &times, attributes, &closed_, &why) || failed_write(shown_as, why);
}

bool Temp::complete(const std::string &shown_as) {
    plat::Failure why;
    if (behind_closes_ && !closed_.complete) behind_->flush(&why);
    return !behind_closes_ || closed_.ok || failed_write(shown_as, closed_.failure);
}

Outcome Temp::place(std::string *path, Settled how, plat::Folder *in) {
    for (;;) {
        const char *name = name_in(*path, in);
        const bool moved = how == kReplace ? plat::rename_replace(own_name(), name, in_, in)
                                           : plat::rename_new(own_name(), name, in_, in);
        if (moved) {
            delist(listed_);
            listed_ = nullptr;
            return kPlaced;
        }
        const plat::Failure why = plat::last_failure();
        if (how == kReplace || why != plat::kFailExists) {
            warn(path->c_str(), msg::kPlaceFailed, why);
            return kFailed;
        }
        // Another program took the name since it was settled.
        if (how == kRenamed) {
            if (!free_name(path)) {
                warn(path->c_str(), msg::kPathTooLong);
                return kFailed;
            }
            continue;
        }
        how = settle(path);
        if (how == kStop) return kStopped;
        if (how == kFail) return kFailed;
    }
}

// ---- attributes -----------------------------------------------------------------------

namespace {

// The attribute bits a restored file may take; the rest (folder, link,
// device, compression and the like) describe the source's storage, not the
// file.
constexpr uint32_t kRestorableAttributes =
    plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem | plat::kAttrArchive |
    plat::kAttrNormal | plat::kAttrTemporary | plat::kAttrNotContentIndexed;

}  // namespace

uint32_t restorable(uint32_t attributes) {
    attributes &= kRestorableAttributes;
    return attributes != 0 ? attributes : plat::kAttrNormal;
}

void restore_attributes(const char *path, uint32_t attributes) {
    if (plat::kAttributesByPath) plat::set_attributes(path, restorable(attributes));
}

// ---- folders below a destination ------------------------------------------------------

Destination::Destination(std::string folder, std::string archive)
    : folder_(std::move(folder)), archive_(std::move(archive)) {}

Destination::~Destination() {
    for (const std::string &rel : held_) plat::folder_close(known_[rel].held);
    plat::folder_close(root_);
}

namespace {

// How many folders below the destination stay open: an archive's entries
// come folder by folder, so the last few are nearly always the ones asked
// for, and a folder no longer held is entered again from its parent.
constexpr size_t kHeldFolders = 32;

}  // namespace

void Destination::hold(const std::string &rel, std::string on_disk, plat::Folder *f) {
    known_[rel] = Known{std::move(on_disk), f};
    held_.push_back(rel);
    if (held_.size() > kHeldFolders) {
        Known &oldest = known_[held_.front()];
        plat::folder_close(oldest.held);
        oldest.held = nullptr;
        held_.erase(held_.begin());
    }
}

Outcome Destination::folder_of(const std::string &rel, std::string *actual, plat::Folder **held) {
    plat::Folder *unused;
    if (!held) held = &unused;
    if (rel.empty()) {
        // Null when it cannot be held: its names are then full paths, and
        // what fails says so under the name of what it was to make.
        if (!root_) root_ = plat::folder_open(folder_.c_str());
        actual->clear();
        *held = root_;
        return kPlaced;
    }
    const auto known = known_.find(rel);
    if (known != known_.end() && known->second.held) {
        *actual = known->second.on_disk;
        *held = known->second.held;
        return kPlaced;
    }
    const size_t start = name_start(rel);
    std::string parent;
    plat::Folder *up;
    const Outcome above = folder_of(start ? rel.substr(0, start - 1) : std::string(), &parent, &up);
    if (above != kPlaced) return above;
    // A folder known already is entered again under the name it took.
    std::string name = known != known_.end()
                           ? known->second.on_disk.substr(name_start(known->second.on_disk))
                           : rel.substr(start);
    const Outcome o = enter(rel, parent, up, std::move(name));
    if (o != kPlaced) return o;
    const Known &now = known_[rel];
    *actual = now.on_disk;
    *held = now.held;
    return kPlaced;
}

Outcome Destination::enter(const std::string &rel, const std::string &parent, plat::Folder *up,
                           std::string name) {
    for (;;) {
        const std::string on_disk = (parent.empty() ? parent : parent + plat::kSep) + name;
        const std::string where = up ? name : folder_ + on_disk;
        bool created;
        plat::Folder *f;
        switch (plat::folder_enter(up, where.c_str(), &created, &f)) {
            case plat::kDirsMade:
                if (created) made_.push_back(folder_ + on_disk);
                hold(rel, on_disk, f);
                return kPlaced;
            case plat::kDirsLink:
                // A link in the destination would lead the entry out of it.
                warn(archive_.c_str(), msg::kBadEntryName);
                return kFailed;
            case plat::kDirsFailed:
                warn((folder_ + on_disk).c_str(), msg::kFolderFailed, plat::last_failure());
                return kFailed;
            case plat::kDirsNotFolder:
                break;
        }
        // A file holds the name of a folder.
        std::string in_the_way = folder_ + on_disk;
        const int answer =
            show_message(msg::kFileInTheWay, in_the_way.c_str(), QUILL_MB_YESNOCANCEL);
        if (answer == QUILL_IDYES) {
            plat::set_attributes(in_the_way.c_str(), plat::kAttrNormal);
            if (!plat::remove_file(in_the_way.c_str())) {
                warn(in_the_way.c_str(), msg::kFolderFailed, plat::last_failure());
                return kFailed;
            }
        } else if (answer == QUILL_IDNO) {
            if (!free_name(&in_the_way)) {
                warn(in_the_way.c_str(), msg::kPathTooLong);
                return kFailed;
            }
            name = in_the_way.substr(name_start(in_the_way));
        } else {
            return kStopped;
        }
    }
}

bool Destination::refuses_archive(const std::string &path) const {
    if (!plat::same_file(path.c_str(), archive_.c_str())) return false;
    warn(msg::kCannotDecrypt, msg::kSameName);
    return true;
}

Outcome Destination::file_path(const std::string &rel, std::string *path, plat::Folder **held) {
    const size_t start = name_start(rel);
    std::string parent;
    const Outcome made = folder_of(start ? rel.substr(0, start - 1) : std::string(), &parent, held);
    if (made == kPlaced)
        *path = folder_ + (parent.empty() ? parent : parent + plat::kSep) + rel.substr(start);
    return made;
}

// ---- staged entries -------------------------------------------------------------------

void Staging::add(bool folder, const std::string &rel, std::unique_ptr<Temp> temp,
                  uint32_t attributes, bool widened) {
    items_.push_back(Item{folder, false, rel, std::move(temp), attributes, widened});
}

int32_t Staging::commit(Destination &to) {
    struct Replacement {
        Item *item;
        std::string path;
    };
    std::vector<Replacement> replacements;
    std::vector<std::string> placed;  // new files, taken away again on failure
    // Every staged file whole on disk before any takes its name.
    for (Item &item : items_)
        if (!item.folder && !item.temp->complete(to.folder() + item.rel)) return 1;
    bool failed = false;
    for (Item &item : items_) {
        std::string path;
        plat::Folder *in;
        const Outcome made =
            item.folder ? to.folder_of(item.rel, &path) : to.file_path(item.rel, &path, &in);
        if (made != kPlaced) {
            failed = made == kFailed;
            break;
        }
        if (item.folder) {
            item.placed = true;
            continue;
        }
        bool held;
        if (item.temp->place_free(path, in, &held)) {
            item.placed = true;
            placed.push_back(path);
            restore_attributes(path.c_str(), item.attributes);
            continue;
        }
        if (!held || to.refuses_archive(path)) {
            failed = true;
            break;
        }
        const Settled how = settle(&path);
        if (how == kStop || how == kFail) {
            failed = how == kFail;
            break;
        }
        if (how == kReplace) {
            replacements.push_back({&item, path});
            continue;
        }
        const Outcome moved = item.temp->place(&path, how, in);
        if (moved != kPlaced) {
            failed = moved == kFailed;
            break;
        }
        item.placed = true;
        placed.push_back(path);
        restore_attributes(path.c_str(), item.attributes);
    }
    if (failed) {
        // Newest first: a folder is empty again once what went into it left.
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) plat::remove_file(it->c_str());
        for (auto it = to.made().rbegin(); it != to.made().rend(); ++it)
            plat::remove_folder(it->c_str());
        for (Item &item : items_) item.placed = false;
        return 1;
    }
    for (Replacement &r : replacements) {
        if (r.item->temp->place(&r.path, kReplace) != kPlaced) return 1;
        r.item->placed = true;
        restore_attributes(r.path.c_str(), r.item->attributes);
    }
    return 0;
}

}  // namespace quill::place

void ichiji_sakujo(void) {
    using namespace quill::place;
    // May run inside a signal handler: it only walks the list and unlinks.
    quill::plat::cleanup_hold();
    for (Listed *l = listed_head; l; l = l->next) quill::plat::remove_file(l->path);
    quill::plat::cleanup_release();
}
