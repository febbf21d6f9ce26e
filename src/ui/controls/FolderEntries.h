#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace umbrix {

// An entry of a folder as the browser lists see it.
struct FolderEntry {
    enum class Kind { File, Directory, DirectoryLink };
    std::string name; // bytes
    Kind kind = Kind::File;
};

// The subdirectories of `folder`, links to directories included; "." and
// ".." left out.  Throws an Error when the folder cannot be read: 76 when it
// does not exist or is no directory, else the number of the errno.
std::vector<FolderEntry> readSubdirectories(const std::string& folder);

// Hands `add` the name of every entry of `folder` that is not a directory
// (nor a link to one) and whose name `accept` takes.  Throws as
// readSubdirectories.
void readFiles(const std::string& folder, const std::function<bool(std::string_view)>& accept,
               const std::function<void(std::string_view)>& add);

} // namespace umbrix
