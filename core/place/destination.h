// The folder an archive's entries go to, and the folders below it, each
// made one component at a time and never through a link; what the run moved
// aside to make way, until it ends; the names its files claimed.
#ifndef QUILL_DESTINATION_H
#define QUILL_DESTINATION_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cleanup.h"
#include "place/settle.h"
#include "platform/platform.h"

namespace quill::place {

// The folder an archive's entries go to and the folders below it, each found
// or made once, one component at a time inside its parent, never through a
// link. A folder of the archive whose name a file holds is settled with the
// user: the file replaced by the folder, or the folder made under a free
// name(N), where every entry below it follows. The folders last used are
// held open (plat::Folder), so that the files placed in them cost no walk of
// their paths; the destination itself is held while the Destination lives.
class Destination {
  public:
    // folder: a native path ending in a separator; archive: the archive's
    // path, the caption when an entry would pass through a link.
    Destination(std::string folder, std::string archive);
    ~Destination();
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;
    const std::string &folder() const { return folder_; }
    // The archive's folder rel (native, relative; the destination itself
    // when empty) found or made, its parents first. kPlaced with *actual the
    // relative path it has on disk and *held, when asked for, the folder
    // held open: valid until the next call of folder_of or file_path, the
    // destination's own for as long as the Destination lives (null when it
    // cannot be held: the names in it are then full paths).
    Outcome folder_of(const std::string &rel, std::string *actual, plat::Folder **held = nullptr);
    // The folder of the file entry rel, found or made: *path receives the
    // full path the file is to have and *held its folder, as folder_of.
    Outcome file_path(const std::string &rel, std::string *path, plat::Folder **held = nullptr);
    // The deepest folder on the way to the file entry rel's folder that
    // exists now, nothing made and no question asked: where its temporary
    // file waits, on the file system its final folder will be on. *folder
    // receives its full path (ending in a separator) and *held the folder
    // held open, as folder_of.
    void staging_folder(const std::string &rel, std::string *folder, plat::Folder **held);
    // Every folder made, in order.
    const std::vector<std::string> &made() const { return made_; }
    // True, after a box that says so, when the name path that something
    // holds is the archive itself, however it is spelled: unpacking would
    // replace the archive with its own content.
    bool refuses_archive(const std::string &path) const;
    // Claims the full path path for a file of this run: false when an
    // earlier one claimed a name that the file system takes for the same
    // (on Windows the same but for case, or after a name was made holdable:
    // an archive made on Linux may hold "Case.txt" beside "case.txt"). An
    // entry never replaces another of the same run.
    bool claim(const std::string &path);
    // path, which an earlier file claimed, moved to the first name(N) that
    // neither exists nor is claimed, and claimed; false, after a box, when
    // none fits.
    bool claim_free(std::string *path);
    // A free name beside the file at path that will keep it, moved aside
    // (or given a second name) to make way, until settle_asides; on the
    // cleanup's list from now on.
    std::string aside_for(const std::string &path);
    // The run's end for what was kept aside: removed when it succeeded, put
    // back under its name otherwise (once what took the name has left it;
    // a box names a file that cannot go back, and where it stays).
    void settle_asides(bool succeeded);
    // The folder of the full path path has a name made, renamed or removed.
    void touched(const std::string &path);
    // A restored file took its name at path: its folder touched, the
    // entry's attributes given back (over those a replaced file kept).
    void placed(const std::string &path, uint32_t attributes, bool replaced = false);
    // The folders touched since the last call on stable storage; false with
    // a box when the device refused.
    bool flush_touched();

  private:
    struct Known {
        std::string on_disk;  // relative path on disk
        plat::Folder *held;   // null when no longer held open
    };
    struct Aside {
        std::string path;
        std::string aside;
        cleanup::Item *listed;
    };
    // rel's folder held open by entering it in parent, held as up; made
    // when missing unless only an existing one will do (make false: then
    // kFailed, without a box, when there is none).
    Outcome enter(const std::string &rel, const std::string &parent, plat::Folder *up,
                  std::string name, bool make = true);
    void hold(const std::string &rel, std::string on_disk, plat::Folder *f);
    // The name the archive folder rel has on disk: the one it took when it
    // is known, else its own.
    std::string name_on_disk(const std::string &rel) const;
    // Sweeps the folder (full path) the first time the run writes near it.
    void sweep(const std::string &folder);
    std::string folder_;
    std::string archive_;
    plat::Folder *root_ = nullptr;
    std::map<std::string, Known> known_;  // archive folder -> folder on disk
    std::vector<std::string> held_;       // the folders of known_ held open, oldest first
    std::vector<std::string> made_;
    std::vector<Aside> asides_;
    std::set<std::string> swept_;
    std::set<std::string> claimed_;  // plat::name_key of every file's path
    std::set<std::string> touched_;
};

}  // namespace quill::place

#endif
