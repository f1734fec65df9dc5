// Where new archives and restored files take their place. Every file the
// library writes for the user is first a private temporary file in the
// folder it belongs in, and takes its final name in one rename once it is
// complete: a cut archive, a full disk or an interruption never leaves a
// half-written file under a user's name, and an old file that the user
// chose to overwrite stays as it was until its replacement is complete.
// Names that exist already are settled with the user (the conflict prompt);
// folders are made below the destination one component at a time and never
// through a link. The temporary files not yet in place are on one list,
// which an interrupted program empties with ichiji_sakujo.
//
// A temporary file is named ".quillseal-<process>-<n>.part", created
// exclusively and readable by its owner alone (on Windows shared with
// nobody); whatever ends a call, it is gone when the call returns, and only
// a process killed outright leaves one behind.
#ifndef QUILL_PLACEMENT_H
#define QUILL_PLACEMENT_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/writebehind.h"
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

// A temporary file on its way to a final name; destroyed before it got
// there, it is closed and removed.
class Temp {
  public:
    // Its data written behind the caller's thread when behind is given.
    explicit Temp(WriteBehind *behind = nullptr) : behind_(behind) {}
    ~Temp();
    Temp(const Temp &) = delete;
    Temp &operator=(const Temp &) = delete;

    // Makes the file in folder (a native path ending in a separator). Every
    // failure below shows a box captioned shown_as, the name the file is
    // meant to have, and says why.
    bool create(const std::string &folder, const std::string &shown_as);
    plat::File *file() const { return file_; }
    bool write(const void *data, size_t n, const std::string &shown_as);
    // The file complete: every byte written, its times set when given,
    // given the permissions of a new file of the user and closed.
    bool finish(const std::string &shown_as, const plat::FileTimes *times = nullptr);
    // Gives the finished file the name *path, as settled: in place of the
    // file there (kReplace), or where nothing is (kFree, kRenamed). When
    // another program took that name meanwhile, the next free name is taken
    // after "別名保存", and the user is asked again otherwise. kPlaced with
    // *path the name it took; kStopped; kFailed.
    Outcome place(std::string *path, Settled how);

  private:
    bool failed_write(const std::string &shown_as, plat::Failure why);
    WriteBehind *behind_;
    plat::File *file_ = nullptr;
    std::string path_;
    struct Listed *listed_ = nullptr;  // its place on the cleanup's list
};

// The attribute word of an entry on the restored file at path, as far as it
// describes the file (read-only, hidden and the like) rather than where it
// was stored.
void restore_attributes(const char *path, uint32_t attributes);

// The folder an archive's entries go to and the folders below it, each found
// or made once. A folder of the archive whose name a file holds is settled
// with the user: the file replaced by the folder, or the folder made under a
// free name(N), where every entry below it follows.
class Destination {
  public:
    // folder: a native path ending in a separator; archive: the archive's
    // path, the caption when an entry would pass through a link.
    Destination(std::string folder, std::string archive);
    const std::string &folder() const { return folder_; }
    // The archive's folder rel (native, relative; the destination itself
    // when empty) found or made, its parents first. kPlaced with *actual the
    // relative path it has on disk.
    Outcome folder_of(const std::string &rel, std::string *actual);
    // The folder of the file entry rel, found or made: *path receives the
    // full path the file is to have.
    Outcome file_path(const std::string &rel, std::string *path);
    // Every folder made, in order.
    const std::vector<std::string> &made() const { return made_; }

  private:
    std::string folder_;
    std::string archive_;
    std::map<std::string, std::string> known_;  // archive folder -> folder on disk
    std::vector<std::string> made_;
};

// The entries of an archive kept aside until its signature has verified:
// folders by name, files as finished temporary files in the destination.
class Staging {
  public:
    struct Item {
        bool folder;
        bool placed;      // put in place by commit
        std::string rel;  // native relative path in the archive
        std::unique_ptr<Temp> temp;
        uint32_t attributes;
        bool widened;  // rel holds full-width forms (entries.h)
    };
    void add(bool folder, const std::string &rel, std::unique_ptr<Temp> temp, uint32_t attributes,
             bool widened);
    // Puts every entry in place, in archive order, with the prompts a
    // decryption shows. Files that replace existing ones take their place
    // last, once everything else is in place: when anything fails before
    // that, every file and folder put in place is taken away again, and the
    // decryption leaves nothing. 0 done, or stopped at a prompt (what was put
    // in place before stays); 1 failure.
    int32_t commit(Destination &to);
    const std::vector<Item> &items() const { return items_; }

  private:
    std::vector<Item> items_;
};

}  // namespace quill::place

#endif
