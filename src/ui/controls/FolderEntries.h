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

// The entries of `folder` that are not directories (nor links to
// directories) and whose name `accept` takes.  Throws as readSubdirectories.
std::vector<FolderEntry> readFiles(const std::string& folder,
                                   const std::function<bool(std::string_view)>& accept);

} // namespace umbrix
