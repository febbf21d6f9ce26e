#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace umbrix {

// One complete read of a folder, taken while its subfolders are collected
// and kept for the listing of its own entries, so that the walk reads each
// folder and queries each entry once instead of twice.  Entries keep the
// order of the read, "." and ".." included; names live in one buffer so
// that a large folder costs two allocations, not one per entry.
class ScanSnapshot {
public:
    struct Entry {
        ino_t inode = 0; // as the folder's listing gave it
        uint32_t offset = 0;
        uint32_t length = 0;
        unsigned char type = 0; // d_type as the folder's listing gave it
        int32_t attributes = 0; // the reduced set; 0 for "." and ".."
        bool reparsePoint = false;
        bool failed = false; // its attributes could not be read (and that was reported)
    };

    void clear()
    {
        names_.clear();
        entries_.clear();
    }
    void add(std::string_view name, ino_t inode, unsigned char type, int32_t attributes,
             bool reparsePoint, bool failed)
    {
        entries_.push_back({inode, static_cast<uint32_t>(names_.size()),
                            static_cast<uint32_t>(name.size()), type, attributes, reparsePoint,
                            failed});
        names_.append(name);
    }

    size_t size() const { return entries_.size(); }
    const Entry& operator[](size_t i) const { return entries_[i]; }
    std::string_view name(const Entry& entry) const
    {
        return std::string_view(names_).substr(entry.offset, entry.length);
    }

private:
    std::string names_;
    std::vector<Entry> entries_;
};

} // namespace umbrix
