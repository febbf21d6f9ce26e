#include "fileops/FolderListing.h"

#include "fileops/FsErrors.h"
#include "platform/DirectoryReader.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"

#include <sys/stat.h>

namespace umbrix::fileops {
namespace {

using platform::DirectoryReader;
using platform::FolderIdentity;

DirectoryReader openReader(const std::string& folder)
{
    DirectoryReader reader(folder);
    if (!reader.valid())
        fail(reader.error(), {});
    return reader;
}

} // namespace

std::vector<std::string> filesIn(const std::string& folder)
{
    DirectoryReader reader = openReader(folder);
    std::vector<std::string> files;
    DirectoryReader::Entry entry;
    std::string name;
    while (reader.nextChild(entry)) {
        bool isDirectory = entry.type == DT_DIR;
        if (entry.type == DT_UNKNOWN) {
            name.assign(entry.name);
            FolderIdentity identity;
            if (platform::identityAt(reader.fd(), name.c_str(), identity) != 0)
                continue;
            isDirectory = S_ISDIR(identity.mode);
        }
        if (!isDirectory)
            files.push_back(joinPath(folder, entry.name));
    }
    if (reader.error())
        fail(reader.error(), {});
    return files;
}

std::vector<std::string> subFoldersOf(const std::string& folder)
{
    DirectoryReader reader = openReader(folder);
    FolderIdentity self;
    if (const int err = platform::identityOf(reader.fd(), self))
        fail(err, {});
    std::vector<std::string> folders;
    DirectoryReader::Entry entry;
    std::string name;
    while (reader.nextChild(entry)) {
        if (entry.type != DT_DIR && entry.type != DT_UNKNOWN)
            continue;
        name.assign(entry.name);
        FolderIdentity identity;
        if (platform::identityAt(reader.fd(), name.c_str(), identity) != 0 ||
            !S_ISDIR(identity.mode))
            continue;
        if (identity.sameVolume(self))
            folders.push_back(joinPath(folder, name));
    }
    if (reader.error())
        fail(reader.error(), {});
    return folders;
}

} // namespace umbrix::fileops
