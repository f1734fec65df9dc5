// Every file the library writes for the user is first a private temporary
// file, which takes its final name in one rename once it is complete: a cut
// archive, a full disk or an interruption never leaves a half-written file
// under a user's name, and an old file that the user chose to overwrite
// stays as it was until its replacement is complete. Nothing takes a name
// before its data is on stable storage, and the folder that holds the name
// is flushed afterwards (plat::flush_file and the rest): a file that takes
// its name alone is flushed as it is finished, the files of a decryption
// together, with one flush of the file system before their renames.
//
// A temporary file is named ".quillseal-<process>-<n>.part", created
// exclusively and readable by its owner alone (on Windows shared with
// nobody). It is on the list an interrupted program empties with
// ichiji_sakujo (cleanup.h) until it has its name; whatever ends a call, it
// is gone when the call returns, and what a process killed outright left is
// removed by the next run that writes into that folder (leftovers.h).
#ifndef QUILL_TEMP_H
#define QUILL_TEMP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cleanup.h"
#include "engine/writebehind.h"
#include "place/settle.h"
#include "platform/platform.h"

namespace quill::place {

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

// The data of finished temporary files on stable storage before they take
// their names: one flush of each file system they lie on. false, with a box
// captioned shown_as, when the device refused.
bool flush_staged(const std::vector<const Temp *> &temps, const std::string &shown_as);

}  // namespace quill::place

#endif
