#include "journal/JournalFolder.h"

#include "platform/DirectoryReader.h"
#include "platform/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

constexpr std::string_view kSuffix = ".journal";
constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The start its first line names, else its mtime.
int64_t startOf(int fd, const struct stat& st)
{
    char text[512];
    const ssize_t n = ::pread(fd, text, sizeof text, 0);
    const std::string_view head(text, n > 0 ? static_cast<size_t>(n) : 0);
    int64_t started = 0;
    if (parseJournalHeader(head.substr(0, head.find('\n')), started))
        return started;
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000 + st.st_mtim.tv_nsec / 1000;
}

// Removes the journal `name` unless its run still holds it.
bool removeUnlessLive(int folderFd, const std::string& name)
{
    const platform::FileDescriptor fd(::openat(folderFd, name.c_str(), kReadFlags));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    struct stat held {
    }, named{};
    if (::fstat(fd.get(), &held) != 0 ||
        ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameFile(held, named))
        return false;
    return ::unlinkat(folderFd, name.c_str(), 0) == 0;
}

// Makes the folders of `path`, each mode 0700; the first failure's errno
// (other than its being there), 0 without one.
int makeFolders(const std::string& path)
{
    int first = 0;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST && !first)
            first = errno;
        if (slash == std::string::npos)
            return first;
    }
}

} // namespace

std::string journalFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/Umbrix/journal";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Umbrix/journal";
}

std::string openPrivateFolder(const std::string& path, bool create,
                              platform::FileDescriptor& folder)
{
    const int made = create ? makeFolders(path) : 0;
    platform::FileDescriptor fd(
        ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd) {
        const int err = errno == ENOENT && made ? made : errno;
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return "The folder is a symbolic link";
        return err == ENOTDIR ? "Not a folder" : SystemMessageText(err);
    }
    if (::fstat(fd.get(), &st) != 0)
        return SystemMessageText(errno);
    if (st.st_uid != ::geteuid())
        return "The folder belongs to another user";
    if ((st.st_mode & 077) != 0 && ::fchmod(fd.get(), st.st_mode & 0700) != 0)
        return "The folder is open to other users";
    folder = std::move(fd);
    return "";
}

std::string openRescueFolder(platform::FileDescriptor& folder)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') {
        const std::string path = std::string(runtime) + "/umbrix-journal";
        if (openPrivateFolder(path, true, folder).empty())
            return path;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/umbrix-journal-XXXXXX";
    if (!::mkdtemp(path.data()) || !openPrivateFolder(path, false, folder).empty())
        return "";
    return path;
}

std::vector<JournalFileInfo> journalFilesAt(int folderFd, const std::string& folder)
{
    std::vector<JournalFileInfo> files;
    platform::DirectoryReader reader = platform::DirectoryReader::of(folderFd, true);
    platform::DirectoryReader::Entry entry{};
    while (reader.nextChild(entry)) {
        if (entry.name.size() <= kSuffix.size() || !entry.name.ends_with(kSuffix))
            continue;
        const std::string name(entry.name);
        const platform::FileDescriptor fd(::openat(folderFd, name.c_str(), kReadFlags));
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        files.push_back(
            {name, folder + "/" + name, startOf(fd.get(), st), static_cast<uint64_t>(st.st_size)});
    }
    std::sort(files.begin(), files.end(), [](const JournalFileInfo& a, const JournalFileInfo& b) {
        return a.started != b.started ? a.started < b.started : a.path < b.path;
    });
    return files;
}

std::string journalFiles(const std::string& folder, std::vector<JournalFileInfo>& files)
{
    files.clear();
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 && errno == ENOENT)
        return "";
    platform::FileDescriptor fd;
    if (std::string wrong = openPrivateFolder(folder, false, fd); !wrong.empty())
        return wrong;
    files = journalFilesAt(fd.get(), folder);
    return "";
}

void trimJournals(int folderFd, size_t runs, uint64_t bytes)
{
    const std::vector<JournalFileInfo> files = journalFilesAt(folderFd, "");
    size_t keptRuns = 0;
    uint64_t keptBytes = 0;
    bool full = false;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        full = full || keptRuns + 1 > runs || keptBytes + it->bytes > bytes;
        if (full && removeUnlessLive(folderFd, it->name))
            continue;
        ++keptRuns;
        keptBytes += it->bytes;
    }
}

std::string readJournal(const std::string& path, JournalContents& contents)
{
    constexpr const char* kTooLarge = "Larger than any journal (512 MiB), not read";
    struct stat st {
    }, opened{};
    if (::stat(path.c_str(), &st) != 0)
        return SystemMessageText(errno);
    if (!S_ISREG(st.st_mode))
        return "Not a regular file, so no journal";
    if (static_cast<uint64_t>(st.st_size) > kMaxJournalBytes)
        return kTooLarge;
    const platform::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return SystemMessageText(errno);
    if (::fstat(fd.get(), &opened) != 0 || !sameFile(st, opened))
        return "Replaced while it was opened, not read";
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return SystemMessageText(errno);
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > kMaxJournalBytes)
            return kTooLarge;
    }
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(text.data() + start, end - start);
        if (line.empty() || line.starts_with("#"))
            continue;
        JournalRecord record;
        if (parseJournalLine(line, record))
            contents.records.push_back(std::move(record));
        else
            ++contents.unreadable;
    }
    // A last line without its newline was torn by a crash mid-write.
    if (start < text.size())
        ++contents.unreadable;
    return "";
}

} // namespace umbrix
