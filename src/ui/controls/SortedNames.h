#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace umbrix {

// The names of one folder in the order a person reads them (NameCollation,
// ties by bytes), put in order a round at a time so that a folder of a
// million files never holds the window for long.  The names live in one
// block of bytes: a row costs its name and sixteen bytes, not a string and
// a text of its own.
class SortedNames {
public:
    // Every name comes before the first round.
    // `inode` is the entry's as the folder's listing gave it.
    void add(std::string_view name, uint64_t inode);
    size_t size() const { return refs_.size(); }

    // Does the next piece of the ordering, about `budget` names' worth of
    // work at most (a merge of two long runs is one piece); true once the
    // names are in order.
    bool round(size_t budget);
    bool sorted() const { return phase_ == Phase::Done; }

    // Name of `row`, in order once sorted().
    std::string_view name(size_t row) const
    {
        return {bytes_.data() + refs_[row].offset, refs_[row].length};
    }
    uint64_t inode(size_t row) const { return refs_[row].inode; }

private:
    struct Ref {
        uint32_t offset;
        uint32_t length;
        uint64_t inode;
    };
    enum class Phase { Keys, Runs, Merges, Done };

    bool less(uint32_t a, uint32_t b) const;
    void finish();

    std::string bytes_;
    std::vector<Ref> refs_;
    // The ordering's working state, dropped when done.
    std::string keys_;
    std::vector<uint32_t> keyStarts_;
    std::vector<uint32_t> order_;
    Phase phase_ = Phase::Keys;
    size_t next_ = 0; // first name without a key; first unsorted run; left end of the next merge
    size_t runWidth_ = 0; // length of the sorted runs being merged
};

} // namespace umbrix
