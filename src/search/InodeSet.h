#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace umbrix {

// A set of inode numbers in one flat table (open addressing, linear
// probing).  The walk asks it about every hidden entry it lists and adds
// every entry it unhides; a node-based set costs an allocation per entry and
// a cache miss per question.  Inode 0 is kept apart, as the table's mark for
// an empty slot.
class InodeSet {
public:
    bool contains(uint64_t inode) const
    {
        if (inode == 0)
            return hasZero_;
        if (slots_.empty())
            return false;
        for (std::size_t i = slotOf(inode);; i = (i + 1) & mask()) {
            if (slots_[i] == inode)
                return true;
            if (slots_[i] == 0)
                return false;
        }
    }

    void insert(uint64_t inode)
    {
        if (inode == 0) {
            hasZero_ = true;
            return;
        }
        // At most half full, so that a question ends after a few slots.
        if (2 * (count_ + 1) > slots_.size())
            grow();
        if (place(slots_, inode))
            ++count_;
    }

    void clear()
    {
        slots_.clear();
        count_ = 0;
        hasZero_ = false;
    }

private:
    std::size_t mask() const { return slots_.size() - 1; }
    // Fibonacci hashing: inode numbers come in runs, which it spreads.
    static std::size_t slotIn(const std::vector<uint64_t>& slots, uint64_t inode)
    {
        const int shift = 64 - std::countr_zero(slots.size());
        return static_cast<std::size_t>((inode * 0x9E3779B97F4A7C15ull) >> shift);
    }
    std::size_t slotOf(uint64_t inode) const { return slotIn(slots_, inode); }

    // False when `inode` was there already.
    static bool place(std::vector<uint64_t>& slots, uint64_t inode)
    {
        for (std::size_t i = slotIn(slots, inode);; i = (i + 1) & (slots.size() - 1)) {
            if (slots[i] == inode)
                return false;
            if (slots[i] == 0) {
                slots[i] = inode;
                return true;
            }
        }
    }

    void grow()
    {
        std::vector<uint64_t> bigger(slots_.empty() ? 64 : 2 * slots_.size(), 0);
        for (const uint64_t inode : slots_) {
            if (inode != 0)
                place(bigger, inode);
        }
        slots_.swap(bigger);
    }

    std::vector<uint64_t> slots_; // a power of two long, 0 for empty
    std::size_t count_ = 0;
    bool hasZero_ = false;
};

} // namespace umbrix
