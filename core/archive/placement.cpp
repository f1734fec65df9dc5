// Placing new archives and restored files: temporary files, the list an
// interruption's cleanup removes, settled names and the folders below a
// destination.
#include "archive/placement.h"

#include <cstring>
#include <new>

#include "archive/msgbox.h"
#include "archive/names.h"
#include "archive/paths.h"
#include "messages.h"
#include "quillcore.h"

namespace quill::place {

namespace {

// The endings of the names this library gives its temporary files and the
// files it moves aside.
constexpr char kTempSuffix[] = ".part";
constexpr char kAsideSuffix[] = ".old";

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

// ---- what runs killed outright left ---------------------------------------------------

namespace {

// The process number in a name ".quillseal-<process>-<n><suffix>" that
// this library makes, and its suffix; false for any other name.
bool own_leftover(const char *name, uint32_t *process, std::string *suffix) {
    static const char kPrefix[] = ".quillseal-";
    if (std::strncmp(name, kPrefix, sizeof kPrefix - 1) != 0) return false;
    const char *p = name + sizeof kPrefix - 1;
    uint64_t id = 0;
    const char *digits = p;
    while (*p >= '0' && *p <= '9' && id <= 0xFFFFFFFFu) id = id * 10 + uint64_t(*p++ - '0');
    if (p == digits || id > 0xFFFFFFFFu || *p++ != '-') return false;
    const char *number = p;
    while (*p >= '0' && *p <= '9') p++;
    if (p == number) return false;
    *process = uint32_t(id);
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
            if (plat::remove_file((folder + e.name).c_str())) removed += std::string("\n") + e.name;
        } else if (suffix == kAsideSuffix) {
            kept += std::string("\n") + e.name;
        }
    }
    plat::dir_close(search);
    if (!removed.empty()) warn(folder.c_str(), (msg::kLeftoversRemoved + removed).c_str());
    if (!kept.empty()) warn(folder.c_str(), (msg::kLeftoversKept + kept).c_str());
}

// ---- temporary files ------------------------------------------------------------------

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
            warn(shown_as.c_str(), msg::kPathTooLong);
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
    const std::string folder = path.substr(0, name_start(path));
    if (plat::flush_folder(folder.c_str())) return true;
    warn(path.c_str(), msg::kWriteFailed, plat::last_failure());
    return false;
}

bool Temp::place_free(const std::string &path, plat::Folder *in, bool *held) {
    *held = false;
    if (plat::rename_new(path_.c_str(), name_in(path, in), in)) return placed(path);
    const plat::Failure why = plat::last_failure();
    // Whatever the rename said, a name that something holds is settled.
    *held = why == plat::kFailExists || taken(path, in);
    if (!*held) warn(path.c_str(), msg::kPlaceFailed, why);
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

void restore_attributes(const char *path, uint32_t attributes, bool replaced) {
    if (!plat::kAttributesByPath) return;
    // A replaced file kept the old one's attributes; only read-only is the
    // entry's.
    const uint32_t now = replaced ? plat::attributes(path) : plat::kNoAttributes;
    if (now == plat::kNoAttributes) {
        plat::set_attributes(path, restorable(attributes));
        return;
    }
    const uint32_t kept =
        (now & ~plat::kAttrReadOnly & kRestorableAttributes & ~plat::kAttrNormal) |
        (attributes & plat::kAttrReadOnly);
    plat::set_attributes(path, kept != 0 ? kept : plat::kAttrNormal);
}

// ---- folders below a destination ------------------------------------------------------

Destination::Destination(std::string folder, std::string archive)
    : folder_(std::move(folder)), archive_(std::move(archive)) {}

Destination::~Destination() {
    // A run that ended without saying how puts back what it moved aside.
    settle_asides(false);
    for (const std::string &rel : held_) plat::folder_close(known_[rel].held);
    plat::folder_close(root_);
}

namespace {

// How many folders below the destination stay open: an archive's entries
// come folder by folder, so the last few are nearly always the ones asked
// for, and a folder no longer held is entered again from its parent.
constexpr size_t kHeldFolders = 32;

// The folder of a full path, its separator included.
std::string folder_part(const std::string &path) {
    return path.substr(0, name_start(path));
}

// The relative path rel's parent, empty at the top.
std::string parent_of(const std::string &rel) {
    const size_t start = name_start(rel);
    return start ? rel.substr(0, start - 1) : std::string();
}

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

void Destination::sweep(const std::string &folder) {
    if (swept_.insert(folder).second) sweep_leftovers(folder);
}

Outcome Destination::folder_of(const std::string &rel, std::string *actual, plat::Folder **held) {
    plat::Folder *unused;
    if (!held) held = &unused;
    if (rel.empty()) {
        // Null when it cannot be held: its names are then full paths, and
        // what fails says so under the name of what it was to make.
        if (!root_) {
            root_ = plat::folder_open(folder_.c_str());
            sweep(folder_);
        }
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
    std::string parent;
    plat::Folder *up;
    const Outcome above = folder_of(parent_of(rel), &parent, &up);
    if (above != kPlaced) return above;
    // A folder known already is entered again under the name it took.
    std::string name = known != known_.end()
                           ? known->second.on_disk.substr(name_start(known->second.on_disk))
                           : rel.substr(name_start(rel));
    const Outcome o = enter(rel, parent, up, std::move(name));
    if (o != kPlaced) return o;
    const Known &now = known_[rel];
    *actual = now.on_disk;
    *held = now.held;
    return kPlaced;
}

void Destination::staging_folder(const std::string &rel, std::string *folder, plat::Folder **held) {
    std::string on_disk;
    folder_of(std::string(), &on_disk, held);
    const std::string wanted = parent_of(rel);
    // Down the way one component at a time, as long as each folder exists.
    for (size_t at = 0; at < wanted.size();) {
        size_t end = at;
        while (end < wanted.size() && wanted[end] != plat::kSep)
            end += plat::is_lead_byte(static_cast<unsigned char>(wanted[end])) ? 2 : 1;
        const std::string next = wanted.substr(0, end);
        const auto known = known_.find(next);
        if (known != known_.end() && known->second.held) {
            on_disk = known->second.on_disk;
            *held = known->second.held;
        } else {
            std::string name = known != known_.end()
                                   ? known->second.on_disk.substr(name_start(known->second.on_disk))
                                   : next.substr(name_start(next));
            if (enter(next, on_disk, *held, std::move(name), false) != kPlaced) break;
            on_disk = known_[next].on_disk;
            *held = known_[next].held;
        }
        at = end + 1;
    }
    *folder = folder_ + (on_disk.empty() ? on_disk : on_disk + plat::kSep);
}

Outcome Destination::enter(const std::string &rel, const std::string &parent, plat::Folder *up,
                           std::string name, bool make) {
    for (;;) {
        const std::string on_disk = (parent.empty() ? parent : parent + plat::kSep) + name;
        const std::string where = up ? name : folder_ + on_disk;
        bool created;
        plat::Folder *f;
        const plat::DirsResult entered = plat::folder_enter(up, where.c_str(), &created, &f, make);
        if (!make && entered != plat::kDirsMade) return kFailed;
        switch (entered) {
            case plat::kDirsMade:
                if (created) {
                    made_.push_back(folder_ + on_disk);
                    touched(folder_ + on_disk);
                } else {
                    sweep(folder_ + on_disk + plat::kSep);
                }
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
            // Kept aside, not removed, until the run has succeeded.
            const std::string aside = aside_for(in_the_way);
            if (!plat::rename_new(in_the_way.c_str(), aside.c_str())) {
                warn(in_the_way.c_str(), msg::kFolderFailed, plat::last_failure());
                return kFailed;
            }
            touched(in_the_way);
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
    std::string parent;
    const Outcome made = folder_of(parent_of(rel), &parent, held);
    if (made == kPlaced)
        *path =
            folder_ + (parent.empty() ? parent : parent + plat::kSep) + rel.substr(name_start(rel));
    return made;
}

bool Destination::claim(const std::string &path) {
    return claimed_.insert(plat::name_key(path)).second;
}

bool Destination::claim_free(std::string *path) {
    const auto claimed = [this](const std::string &p) {
        return claimed_.count(plat::name_key(p)) != 0;
    };
    if (free_name(path, claimed)) return claim(*path);
    warn(path->c_str(), msg::kPathTooLong);
    return false;
}

std::string Destination::aside_for(const std::string &path) {
    const std::string aside = cleanup::own_name(folder_part(path), kAsideSuffix);
    asides_.push_back(Aside{path, aside, cleanup::add_aside(path, aside)});
    return aside;
}

void Destination::settle_asides(bool succeeded) {
    // Newest first: a file replaced after its folder was made goes back
    // before the file that folder replaced.
    for (auto it = asides_.rbegin(); it != asides_.rend(); ++it) {
        const char *aside = it->aside.c_str();
        // A replaced file that was gone by then left nothing aside.
        if (plat::exists(aside)) {
            if (succeeded) {
                plat::set_attributes(aside, plat::kAttrNormal);
                plat::remove_file(aside);
            } else {
                // A folder made where the file was goes first, when empty.
                const uint32_t now = plat::attributes(it->path.c_str());
                if (now != plat::kNoAttributes && (now & plat::kAttrDirectory))
                    plat::remove_folder(it->path.c_str());
                if (!plat::put_back(aside, it->path.c_str()))
                    warn(it->path.c_str(), (std::string(msg::kKeptAside) + "\n" + aside).c_str());
            }
            touched(it->path);
        }
        cleanup::drop(it->listed);
    }
    asides_.clear();
}

void Destination::touched(const std::string &path) {
    touched_.insert(folder_part(path));
}

bool Destination::flush_touched() {
    bool ok = true;
    for (const std::string &folder : touched_) {
        if (plat::flush_folder(folder.c_str())) continue;
        warn(folder.c_str(), msg::kWriteFailed, plat::last_failure());
        ok = false;
        break;
    }
    touched_.clear();
    return ok;
}

// ---- staged entries -------------------------------------------------------------------

void Staging::add(bool folder, const std::string &rel, std::unique_ptr<Temp> temp,
                  uint32_t attributes, bool widened) {
    items_.push_back(Item{folder, false, rel, std::move(temp), attributes, widened, {}});
}

bool flush_staged(const std::vector<const Temp *> &temps, const std::string &shown_as) {
    std::set<std::string> folders;
    for (const Temp *t : temps) folders.insert(folder_part(t->path()));
    if (plat::flush_batch(std::vector<std::string>(folders.begin(), folders.end()))) return true;
    warn(shown_as.c_str(), msg::kWriteFailed, plat::last_failure());
    return false;
}

int32_t Staging::commit(Destination &to) {
    struct Replacement {
        Item *item;
        std::string path;
    };
    std::vector<Replacement> replacements;
    std::vector<std::string> placed;  // new files, taken away again on failure
    // Every staged file whole on stable storage before any takes its name.
    std::vector<const Temp *> staged;
    for (Item &item : items_) {
        if (item.folder) continue;
        if (!item.temp->complete(to.folder() + item.rel)) return 1;
        staged.push_back(item.temp.get());
    }
    if (!flush_staged(staged, to.folder())) return 1;
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
        if (!to.claim(path)) {
            // The name of a file placed before: the entry goes beside it.
            if (!to.claim_free(&path)) {
                failed = true;
                break;
            }
            item.renamed = path.substr(to.folder().size());
        }
        bool held;
        if (item.temp->place_free(path, in, &held)) {
            item.placed = true;
            placed.push_back(path);
            to.touched(path);
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
        if (how == kRenamed) to.claim(path);
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
        to.touched(path);
        restore_attributes(path.c_str(), item.attributes);
    }
    for (size_t i = 0; i < replacements.size() && !failed; i++) {
        Replacement &r = replacements[i];
        const std::string aside = to.aside_for(r.path);
        if (r.item->temp->place(&r.path, kReplace, nullptr, &aside) != kPlaced) {
            failed = true;
            break;
        }
        r.item->placed = true;
        to.touched(r.path);
        restore_attributes(r.path.c_str(), r.item->attributes, true);
    }
    if (failed) {
        // Newest first: a folder is empty again once what went into it left.
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) plat::remove_file(it->c_str());
        for (auto it = to.made().rbegin(); it != to.made().rend(); ++it)
            plat::remove_folder(it->c_str());
        for (Item &item : items_) item.placed = false;
    }
    to.settle_asides(!failed);
    return to.flush_touched() && !failed ? 0 : 1;
}

}  // namespace quill::place
