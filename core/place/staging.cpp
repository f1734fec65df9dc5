// Entries staged, then put in place together.
#include "place/staging.h"

#include "platform/platform.h"

namespace quill::place {

void Staging::add(bool folder, const std::string &rel, std::unique_ptr<Temp> temp,
                  uint32_t attributes, bool widened) {
    items_.push_back(Item{folder, false, rel, std::move(temp), attributes, widened, {}});
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
            to.placed(path, item.attributes);
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
        to.placed(path, item.attributes);
    }
    for (size_t i = 0; i < replacements.size() && !failed; i++) {
        Replacement &r = replacements[i];
        const std::string aside = to.aside_for(r.path);
        if (r.item->temp->place(&r.path, kReplace, nullptr, &aside) != kPlaced) {
            failed = true;
            break;
        }
        r.item->placed = true;
        to.placed(r.path, r.item->attributes, true);
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
