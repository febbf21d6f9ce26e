#pragma once

#include "platform/FileDescriptor.h"

#include <dirent.h>
#include <memory>
#include <string>
#include <string_view>

namespace umbrix::platform {

// One pass over a directory's entries, names kept as the bytes the kernel
// gives ("." and ".." included where the filesystem reports them).  Reads
// with getdents64 straight into a buffer of its own: a walk that reads every
// folder once pays for nothing but the reads.
class DirectoryReader {
public:
    struct Entry {
        std::string_view name; // valid until the next call of next()
        unsigned char type;    // DT_* value, DT_UNKNOWN when the filesystem does not say
        ino_t inode = 0;       // d_ino: the entry's inode, except for mount points
    };

    // Opens `path`; on failure valid() is false and error() holds the errno.
    explicit DirectoryReader(const std::string& path);
    // Reads the folder open as `folder`, which it takes over.
    explicit DirectoryReader(FileDescriptor folder);
    // Reads the folder open as `folderFd`, which stays the caller's, from
    // where its position stands (its start, for a folder not read before);
    // `fromStart` reads it again from its first entry.
    static DirectoryReader of(int folderFd, bool fromStart = false);
    DirectoryReader(DirectoryReader&& other) noexcept = default;
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;
    DirectoryReader& operator=(DirectoryReader&&) = delete;

    bool valid() const { return fd_ >= 0; }
    int error() const { return error_; }
    // Descriptor of the open directory, for *at() calls relative to it.
    int fd() const { return fd_; }

    // False at the end or on a read error (then error() is non-zero).
    bool next(Entry& entry);
    // next() without "." and "..": the entries a copy or a delete acts on.
    bool nextChild(Entry& entry);

private:
    DirectoryReader() = default;

    FileDescriptor owned_;
    int fd_ = -1;
    int error_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t filled_ = 0;
    size_t offset_ = 0;
    bool ended_ = false;
};

} // namespace umbrix::platform
