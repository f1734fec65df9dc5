// Where a command's output goes besides its usual place: a file named with
// -o, whose existing name is settled with the user as the library settles
// its own, or standard output; and standard input taken in as a file.
#ifndef QUILLSEAL_DESTINATIONS_H
#define QUILLSEAL_DESTINATIONS_H

#include <string>

// The full path of the file -o names; false after saying why it cannot be
// one (its folder is missing, or it is a folder).
bool output_path(const std::string &typed, std::string *path);

enum class Settled { kFree, kReplace, kStop };
// Settles an existing file at *path with the user (filenamesyori): free,
// replace it, or stop; *path changes to a free name(N) after "別名保存".
// kStop also when no free name fits, after saying so.
Settled settle_output(std::string *path);
// Says that the file at path was not written because its name is taken,
// and how to answer beforehand when nobody could be asked.
void say_stopped(const std::string &path);

// Standard input as the file name in the run's own folder; false after
// saying what failed.
bool take_input(const std::string &name, std::string *path);
// The file's bytes to standard output; false after saying what failed.
bool send_output(const std::string &path);

#endif
