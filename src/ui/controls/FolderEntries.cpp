#include "ui/controls/FolderEntries.h"

#include "platform/DirectoryReader.h"
#include "platform/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace umbrix {
namespace {

Error folderError(int err)
{
    // Whatever the errno says about the missing piece, to the user the folder
    // is a path that was not found.
    if (err == ENOENT || err == ENOTDIR)
        return Error{ErrorNumber::PathNotFound, SystemMessageText(err)};
    return errorFromErrno(err);
}

// Only entries the kernel's type does not settle cost a stat: links (which
// may lead to a directory) and filesystems that report DT_UNKNOWN.
// Returns false when the entry vanished meanwhile.
// `name` is the NUL-terminated d_name the reader handed out.
bool classify(int dirFd, const char* name, unsigned char type, FolderEntry::Kind& kind)
{
    if (type == DT_DIR) {
        kind = FolderEntry::Kind::Directory;
        return true;
    }
    struct stat st {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        if (S_ISDIR(st.st_mode)) {
            kind = FolderEntry::Kind::Directory;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            kind = FolderEntry::Kind::File;
            return true;
        }
        type = DT_LNK;
    }
    if (type == DT_LNK) {
        // A dangling or unreadable link is still an entry of its own: a file.
        kind = (::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
                   ? FolderEntry::Kind::DirectoryLink
                   : FolderEntry::Kind::File;
        return true;
    }
    kind = FolderEntry::Kind::File;
    return true;
}

bool isDotOrDotDot(std::string_view name)
{
    return name == "." || name == "..";
}

uint64_t deviceOf(int folderFd)
{
    struct stat st {};
    return ::fstat(folderFd, &st) == 0 ? static_cast<uint64_t>(st.st_dev) : 0;
}

template <typename Visit> void readFolder(const std::string& folder, Visit&& visit)
{
    if (folder.empty())
        throw folderError(ENOENT);
    platform::DirectoryReader reader(folder);
    if (!reader.valid())
        throw folderError(reader.error());
    const uint64_t device = deviceOf(reader.fd());
    platform::DirectoryReader::Entry entry{};
    while (reader.next(entry)) {
        if (!isDotOrDotDot(entry.name))
            visit(reader.fd(), device, entry);
    }
    if (reader.error() != 0)
        throw folderError(reader.error());
}

} // namespace

std::vector<FolderEntry> readSubdirectories(const std::string& folder)
{
    std::vector<FolderEntry> result;
    readFolder(folder, [&](int fd, uint64_t device, const platform::DirectoryReader::Entry& entry) {
        if (entry.type != DT_DIR && entry.type != DT_LNK && entry.type != DT_UNKNOWN)
            return;
        FolderEntry::Kind kind;
        if (classify(fd, entry.name.data(), entry.type, kind) && kind != FolderEntry::Kind::File)
            result.push_back(FolderEntry{
                std::string(entry.name), kind, {device, static_cast<uint64_t>(entry.inode)}});
    });
    return result;
}

FileReader::FileReader(const std::string& folder)
{
    if (folder.empty())
        throw folderError(ENOENT);
    reader_ = std::make_unique<platform::DirectoryReader>(folder);
    if (!reader_->valid())
        throw folderError(reader_->error());
    device_ = deviceOf(reader_->fd());
}

FileReader::~FileReader() = default;

bool FileReader::read(size_t count, const std::function<bool(std::string_view)>& accept,
                      const std::function<void(std::string_view, uint64_t)>& add)
{
    platform::DirectoryReader::Entry entry{};
    for (size_t examined = 0; examined < count; ++examined) {
        if (!reader_->next(entry)) {
            if (reader_->error() != 0)
                throw folderError(reader_->error());
            return true;
        }
        if (entry.type == DT_DIR || isDotOrDotDot(entry.name) || !accept(entry.name))
            continue;
        FolderEntry::Kind kind;
        if (classify(reader_->fd(), entry.name.data(), entry.type, kind) &&
            kind == FolderEntry::Kind::File)
            add(entry.name, static_cast<uint64_t>(entry.inode));
    }
    return false;
}

} // namespace umbrix
