#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <sys/types.h>

namespace umbrix::fileops {

// A copy is built under a temporary name beside its target and renamed over
// it only when complete, so the old target survives a failed copy and a link
// at the target is replaced, never written through.  An entry that was made
// but never committed is removed again.
class TemporaryEntry {
public:
    explicit TemporaryEntry(int folderFd) : folderFd_(folderFd) {}
    ~TemporaryEntry();
    TemporaryEntry(const TemporaryEntry&) = delete;
    TemporaryEntry& operator=(const TemporaryEntry&) = delete;

    // Each returns 0 or the errno of the failure.
    int createFile(platform::FileDescriptor& file);
    int createSymlink(const std::string& linkTarget);
    int createNode(mode_t mode, dev_t device);
    // The file made by createFile, opened again for reading.
    int reopen(platform::FileDescriptor& file) const;
    // Gives the entry the name `target` in the same folder; an existing
    // entry of that name is replaced only with `overwrite`.
    int commit(const char* target, bool overwrite);

private:
    template <typename Make> int create(Make make);

    int folderFd_;
    char name_[64] = {};
    bool created_ = false;
    bool committed_ = false;
};

} // namespace umbrix::fileops
