// The entries of one archive held back until its signature has verified.
#ifndef QUILL_STAGING_H
#define QUILL_STAGING_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "place/destination.h"
#include "place/temp.h"

namespace quill::place {

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
