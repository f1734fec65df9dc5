// The folders below a destination.
#include "place/destination.h"

#include "messages.h"
#include "paths.h"
#include "place/attributes.h"
#include "place/leftovers.h"
#include "place/names.h"
#include "quillcore.h"
#include "report.h"

namespace quill::place {

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
    const Outcome o = enter(rel, parent, up, name_on_disk(rel));
    if (o != kPlaced) return o;
    const Known &now = known_[rel];
    *actual = now.on_disk;
    *held = now.held;
    return kPlaced;
}

std::string Destination::name_on_disk(const std::string &rel) const {
    const auto known = known_.find(rel);
    const std::string &path = known != known_.end() ? known->second.on_disk : rel;
    return path.substr(name_start(path));
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
            if (enter(next, on_disk, *held, name_on_disk(next), false) != kPlaced) break;
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
                fail(archive_.c_str(), msg::kBadEntryName);
                return kFailed;
            case plat::kDirsFailed:
                fail((folder_ + on_disk).c_str(), msg::kFolderFailed, plat::last_failure());
                return kFailed;
            case plat::kDirsNotFolder:
                break;
        }
        // A file holds the name of a folder.
        std::string in_the_way = folder_ + on_disk;
        const int answer = ask(in_the_way, msg::kFileInTheWay);
        if (answer == QUILL_IDYES) {
            // Kept aside, not removed, until the run has succeeded.
            const std::string aside = aside_for(in_the_way);
            if (!plat::rename_new(in_the_way.c_str(), aside.c_str())) {
                fail(in_the_way.c_str(), msg::kFolderFailed, plat::last_failure());
                return kFailed;
            }
            touched(in_the_way);
        } else if (answer == QUILL_IDNO) {
            if (!free_name(&in_the_way)) {
                fail(in_the_way.c_str(), msg::kPathTooLong);
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
    fail(path, msg::kSameName);
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
    fail(path->c_str(), msg::kPathTooLong);
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
                    note(it->path, msg::kKeptAside, aside);
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

void Destination::placed(const std::string &path, uint32_t attributes, bool replaced) {
    touched(path);
    restore_attributes(path.c_str(), attributes, replaced);
}

bool Destination::flush_touched() {
    bool ok = true;
    for (const std::string &folder : touched_) {
        if (plat::flush_folder(folder.c_str())) continue;
        fail(folder.c_str(), msg::kWriteFailed, plat::last_failure());
        ok = false;
        break;
    }
    touched_.clear();
    return ok;
}

}  // namespace quill::place
