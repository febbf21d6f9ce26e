#pragma once

#include "platform/EntryReach.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace umbrix {
namespace platform {
class DirectoryReader;
}

// An entry of a folder as the browser lists see it.
struct FolderEntry {
    enum class Kind { File, Directory, DirectoryLink };
    std::string name; // bytes
    Kind kind = Kind::File;
    platform::EntryIdentity identity; // the folder's device, the listing's inode
};

// The subdirectories of `folder`, links to directories included; "." and
// ".." left out.  Throws an Error when the folder cannot be read: 76 when it
// does not exist or is no directory, else the number of the errno.
std::vector<FolderEntry> readSubdirectories(const std::string& folder);

// The entries of a folder that are not directories (nor links to
// directories), read a batch at a time: a folder of a million files need not
// hold the window while it is read.
class FileReader {
public:
    // Opens `folder`.  Throws as readSubdirectories.
    explicit FileReader(const std::string& folder);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Examines up to `count` further entries and hands `add` the name and
    // inode of each file whose name `accept` takes; true once the folder is
    // read.  Throws when reading fails, as readSubdirectories.
    bool read(size_t count, const std::function<bool(std::string_view)>& accept,
              const std::function<void(std::string_view, uint64_t)>& add);
    // The folder's device, which its entries' identities share.
    uint64_t device() const { return device_; }

private:
    std::unique_ptr<platform::DirectoryReader> reader_;
    uint64_t device_ = 0;
};

} // namespace umbrix
