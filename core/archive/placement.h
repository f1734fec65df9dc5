// Where new archives and restored files take their place. Every file the
// library writes for the user is first a private temporary file in the
// folder it belongs in, and takes its final name in one rename once it is
// complete: a cut archive, a full disk or an interruption never leaves a
// half-written file under a user's name, and an old file that the user
// chose to overwrite stays as it was until its replacement is complete.
// Names that exist already are settled with the user (the conflict prompt);
// folders are made below the destination one component at a time and never
// through a link. The temporary files not yet in place, and the user's files
// moved aside to make way, are on the list an interrupted program empties
// with ichiji_sakujo (cleanup.h).
//
// Nothing takes a name before its data is on stable storage, and the
// folders whose names changed are flushed afterwards (plat::flush_file and
// the rest): a file that takes its name alone is flushed as it is finished,
// the files of a decryption together, with one flush of the file system
// before their renames.
//
// A temporary file is named ".quillseal-<process>-<n>.part", created
// exclusively and readable by its owner alone (on Windows shared with
// nobody), in the folder of its final name where that folder exists, else
// in the deepest folder on its way that does (on the same file system, so
// that its rename never crosses one). Whatever ends a call, it is gone when
// the call returns; what a process killed outright left is removed by the
// next run that writes into that folder (sweep_leftovers). A file moved
// aside is ".quillseal-<process>-<n>.old" beside it, until the run has
// succeeded, or is back under its name.
#ifndef QUILL_PLACEMENT_H
#define QUILL_PLACEMENT_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/writebehind.h"
#include "cleanup.h"
#include "platform/platform.h"

namespace quill::place {

// What became of an entry or a file. kFailed: a box has said why.
enum Outcome { kPlaced, kStopped, kFailed };

// How an output name was settled.
enum Settled {
    kFree,     // nothing of that name exists
    kReplace,  // a file of that name exists; the user chose "上書き"
    kRenamed,  // the user chose "別名保存"; the path now holds a free name(N)
    kStop,     // the user chose "処理中止"
    kFail,     // no name could be settled; a box has said why
};
// A result of filenamesyori (or angoufilemeisakusei) on path as a Settled: a
// folder in the way is never overwritten, and no free name that fits fails.
Settled settled_from(int32_t code, const std::string &path);
// Settles the output name path with the user when something of that name
// exists (the prompt of filenamesyori).
Settled settle(std::string *path);
// True when something, a link included, has the name path; in, when given,
// is its folder held open, where the name is looked up alone.
bool taken(const std::string &path, plat::Folder *in);

// Removes from folder (a full path ending in a separator) the temporary
// files that runs killed outright left there, whose process no longer runs,
// and says so in one box; files such a run kept aside are named, not
// removed: they may be all that is left of a user's file.
void sweep_leftovers(const std::string &folder);

// A temporary file on its way to a final name; destroyed before it got
// there, it is closed and removed.
class Temp {
  public:
    // Its data written behind the caller's thread when behind is given, and
    // flushed to stable storage as flush says.
    explicit Temp(WriteBehind *behind = nullptr, plat::Flush flush = plat::kFlushNow)
        : behind_(behind), flush_(flush) {}
    ~Temp();
    Temp(const Temp &) = delete;
    Temp &operator=(const Temp &) = delete;

    // Makes the file in folder (a native path ending in a separator; in, when
    // given, is that folder held open, used for this call alone). Every
    // failure below shows a box captioned shown_as, the name the file is
    // meant to have, and says why.
    bool create(const std::string &folder, const std::string &shown_as, plat::Folder *in = nullptr);
    plat::File *file() const { return file_; }
    // Its own full path.
    const std::string &path() const { return path_; }
    bool write(const void *data, size_t n, const std::string &shown_as);
    // The file complete: every byte written, its times set when given,
    // given the permissions of a new file of the user (with the attribute
    // word's read-only where that is a permission: plat::make_public),
    // flushed as the constructor said, and closed.
    bool finish(const std::string &shown_as, const plat::FileTimes *times = nullptr,
                uint32_t attributes = 0);
    // The same, left to the writer given at construction: the caller goes on
    // at once, and complete() says how it went. False when a write given
    // before already failed (a box has said why).
    bool finish_behind(const std::string &shown_as, const plat::FileTimes &times,
                       uint32_t attributes);
    // True once a file finished behind is complete on disk; false with a box
    // when it could not be written.
    bool complete(const std::string &shown_as);
    // Gives the finished file the name *path, as settled: in place of the
    // file there (kReplace; aside, when given, a free full path beside it
    // that keeps the old file), or where nothing is (kFree, kRenamed). in,
    // when given, is the folder of *path held open. When another program
    // took that name meanwhile, the next free name is taken after "別名保存",
    // and the user is asked again otherwise. A file flushed on its own has
    // its folder flushed after the rename. kPlaced with *path the name it
    // took; kStopped; kFailed.
    Outcome place(std::string *path, Settled how, plat::Folder *in = nullptr,
                  const std::string *aside = nullptr);
    // Gives the finished file the name path, in the folder in, when nothing
    // has that name: most names are free, and only a taken one needs
    // settling. false with *held when something has it; false otherwise
    // when the rename failed (a box has said why).
    bool place_free(const std::string &path, plat::Folder *in, bool *held);

  private:
    bool failed_write(const std::string &shown_as, plat::Failure why);
    // Off the cleanup's list, under its final name; its folder flushed when
    // it was flushed on its own.
    bool placed(const std::string &path);
    WriteBehind *behind_;
    plat::Flush flush_;
    WriteBehind::Closed closed_;  // how finish_behind went
    bool behind_closes_ = false;  // the writer has the file, to close it
    plat::File *file_ = nullptr;
    std::string path_;
    cleanup::Item *listed_ = nullptr;  // its place on the cleanup's list
};

// The attribute word of an entry as far as it describes the file (read-only,
// hidden and the like) rather than where it was stored.
uint32_t restorable(uint32_t attributes);
// That word on the restored file at path, where the platform sets it by path
// (plat::kAttributesByPath); elsewhere Temp::finish gave it. A file that
// replaced another (replaced) keeps that one's attributes, but read-only.
void restore_attributes(const char *path, uint32_t attributes, bool replaced = false);

// The data of finished temporary files on stable storage before they take
// their names: one flush of each file system they lie on. false, with a box
// captioned shown_as, when the device refused.
bool flush_staged(const std::vector<const Temp *> &temps, const std::string &shown_as);

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

// The entries of an archive kept aside until its signature has verified:
// folders by name, files as finished temporary files, each in its staging
// folder (Destination::staging_folder).
class Staging {
  public:
    struct Item {
        bool folder;
        bool placed;      // put in place by commit
        std::string rel;  // native relative path in the archive
        std::unique_ptr<Temp> temp;
        uint32_t attributes;
        bool widened;         // rel holds full-width forms (entries.h)
        std::string renamed;  // where it went when an earlier file had its name
    };
    void add(bool folder, const std::string &rel, std::unique_ptr<Temp> temp, uint32_t attributes,
             bool widened);
    // Puts every entry in place, in archive order, with the prompts a
    // decryption shows, once every staged file is on stable storage. Files
    // that replace existing ones take their place last, once everything
    // else is in place, each keeping the old file aside. When anything
    // fails, every file and folder put in place is taken away again and
    // everything kept aside is put back: the decryption leaves the
    // destination as it found it. 0 done, or stopped at a prompt (what was
    // put in place before stays); 1 failure.
    int32_t commit(Destination &to);
    const std::vector<Item> &items() const { return items_; }

  private:
    std::vector<Item> items_;
};

}  // namespace quill::place

#endif
