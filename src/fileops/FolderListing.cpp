#include "fileops/FolderListing.h"

#include "fileops/FsErrors.h"
#include "platform/DirectoryReader.h"
#include "platform/FolderHandle.h"

#include <sys/stat.h>

namespace umbrix::fileops {
namespace {

using platform::DirectoryReader;
using platform::FolderIdentity;

} // namespace

std::vector<std::string> fileNamesIn(int folderFd, const std::string& path)
{
    DirectoryReader reader = DirectoryReader::of(folderFd, true);
    std::vector<std::string> files;
    DirectoryReader::Entry entry;
    std::string name;
    while (reader.nextChild(entry)) {
        bool isDirectory = entry.type == DT_DIR;
        name.assign(entry.name);
        if (entry.type == DT_UNKNOWN) {
            FolderIdentity identity;
            if (platform::identityAt(folderFd, name.c_str(), identity) != 0)
                continue;
            isDirectory = S_ISDIR(identity.mode);
        }
        if (!isDirectory)
            files.push_back(name);
    }
    if (reader.error())
        fail(reader.error(), path);
    return files;
}

std::vector<std::string> subFolderNamesOf(int folderFd, const std::string& path)
{
    DirectoryReader reader = DirectoryReader::of(folderFd, true);
    FolderIdentity self;
    if (const int err = platform::identityOf(folderFd, self))
        fail(err, path);
    std::vector<std::string> folders;
    DirectoryReader::Entry entry;
    std::string name;
    while (reader.nextChild(entry)) {
        if (entry.type != DT_DIR && entry.type != DT_UNKNOWN)
            continue;
        name.assign(entry.name);
        FolderIdentity identity;
        if (platform::identityAt(folderFd, name.c_str(), identity) != 0 || !S_ISDIR(identity.mode))
            continue;
        if (identity.sameVolume(self))
            folders.push_back(name);
    }
    if (reader.error())
        fail(reader.error(), path);
    return folders;
}

} // namespace umbrix::fileops
