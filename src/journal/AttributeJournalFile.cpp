#include "journal/AttributeJournalFile.h"

#include "platform/Error.h"
#include "platform/PathText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

constexpr std::string_view kSuffix = ".journal";
// A batch goes to the file once it holds this much.
constexpr size_t kBatchBytes = 64 * 1024;
// Folders whose resolved form is kept for the records that follow.
constexpr size_t kResolvedFolders = 8192;
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW;

int64_t nowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

int writeAll(int fd, std::string& data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data.erase(0, static_cast<size_t>(n));
    }
    return 0;
}

// Whether `fd` is still the file `name` of `folderFd`.
bool stillNamed(int folderFd, const std::string& name, int fd)
{
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 &&
           ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// A relative path would mean nothing to an undo run from elsewhere.  Unlike
// platform::absolutePath, ".." is left for the kernel: taken lexically it
// would undo a link's step rather than the step the write took.
std::string absolute(std::string_view path)
{
    if (path.starts_with('/'))
        return std::string(path);
    std::string full;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd))
        full.append(cwd).append("/");
    full.append(path);
    return full;
}

} // namespace

AttributeJournalFile::AttributeJournalFile(std::string folder, std::string program, Reporter report,
                                           JournalLimits limits)
    : folder_(std::move(folder)), program_(std::move(program)), report_(std::move(report)),
      limits_(limits), started_(nowMicroseconds())
{
    std::string stamp = journalTime(started_);
    std::erase_if(stamp, [](char c) { return c == '-' || c == ':'; });
    name_ = stamp + "-" + std::to_string(::getpid()) + std::string(kSuffix);
}

AttributeJournalFile::~AttributeJournalFile()
{
    finish();
    // Removing a large old file takes milliseconds; it waits for the end of
    // the run rather than hold up the first change the run makes.
    if (fd_)
        trimJournals(folderFd_.get(), limits_.runs, limits_.bytes);
}

const std::string& AttributeJournalFile::resolvedFolder(std::string_view folder)
{
    std::string named(folder);
    if (const auto found = resolved_.find(named); found != resolved_.end())
        return found->second;

    // A folder whose parent is resolved needs only a look at its own name:
    // one that is no folder (a link) is resolved whole.  "" is the root.
    std::string real;
    const size_t slash = folder.rfind('/');
    bool whole = !folder.empty();
    if (slash != std::string_view::npos) {
        const std::string_view name = folder.substr(slash + 1);
        real = resolvedFolder(folder.substr(0, slash));
        real.append("/").append(name);
        struct stat st {};
        whole = name.empty() || name == "." || name == ".." || ::lstat(real.c_str(), &st) != 0 ||
                !S_ISDIR(st.st_mode);
    }
    if (whole) {
        char* resolved = ::realpath(named.c_str(), nullptr);
        real = resolved ? resolved : named;
        std::free(resolved);
        if (real == "/")
            real.clear();
    }
    if (resolved_.size() >= kResolvedFolders)
        resolved_.clear();
    return resolved_.emplace(std::move(named), std::move(real)).first->second;
}

void AttributeJournalFile::record(platform::StoreKind store, std::string_view path,
                                  platform::JournalIdentity identity, uint32_t before,
                                  uint32_t after)
{
    append(platform::storeName(store), fullPath(path), identity, before, after, {});
}

void AttributeJournalFile::recordWalked(platform::StoreKind store, std::string_view path,
                                        size_t rootSize, platform::JournalIdentity identity,
                                        uint32_t before, uint32_t after)
{
    // The root is resolved as any folder is; the names below it stand as the
    // walk met them, since its write went through the folders it held, not
    // through whatever a name may lead to by now.
    std::string_view root = path.substr(0, rootSize);
    std::string_view below = path.substr(root.size());
    while (root.ends_with('/'))
        root.remove_suffix(1);
    while (below.starts_with('/'))
        below.remove_prefix(1);
    if (!walkRootKnown_ || root != walkRoot_) {
        walkRoot_.assign(root);
        walkRootResolved_ = root.empty() ? std::string() : resolvedFolder(absolute(root));
        walkRootKnown_ = true;
    }
    walked_.assign(walkRootResolved_).append("/").append(below);
    append(platform::storeName(store), walked_, identity, before, after, {});
}

void AttributeJournalFile::recordMove(std::string_view from, std::string_view to,
                                      platform::JournalIdentity identity)
{
    append(kMoveRecord, fullPath(from), identity, 0, 0, fullPath(to));
}

void AttributeJournalFile::recordFolderMade(std::string_view path,
                                            platform::JournalIdentity identity)
{
    append(kFolderMadeRecord, fullPath(path), identity, 0, 0, {});
}

std::string AttributeJournalFile::fullPath(std::string_view path)
{
    const std::string named = absolute(path);
    // An undo follows no link on its way to the entry: links above it are
    // resolved now, once a folder, while they lead where the write went.
    const size_t slash = named.rfind('/');
    std::string full(resolvedFolder(std::string_view(named).substr(0, slash)));
    full.append(std::string_view(named).substr(slash));
    return full;
}

void AttributeJournalFile::append(std::string_view store, std::string_view full,
                                  platform::JournalIdentity identity, uint32_t before,
                                  uint32_t after, std::string_view to)
{
    if (pending_.empty() && !fd_)
        pending_ = journalHeader(program_, started_);
    appendJournalLine(pending_, nowMicroseconds(), store, full, identity, before, after, to);
    if (pending_.size() >= kBatchBytes)
        write();
}

void AttributeJournalFile::flush()
{
    if (!pending_.empty())
        write();
    // Folders are renamed and swapped between commands: each command, and
    // each second of a long one, resolves them afresh.
    resolved_.clear();
    walkRootKnown_ = false;
}

void AttributeJournalFile::finish()
{
    flush();
    if (!pending_.empty())
        rescue();
}

std::string AttributeJournalFile::open()
{
    if (!folderFd_) {
        if (std::string wrong = openPrivateFolder(folder_, true, folderFd_); !wrong.empty())
            return wrong;
    }
    // The clean-up of another run may remove the file between its making
    // and its lock: a file removed so is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        platform::FileDescriptor fd(::openat(folderFd_.get(), name_.c_str(), kCreateFlags, 0600));
        if (!fd)
            return SystemMessageText(errno);
        if (::flock(fd.get(), LOCK_EX) == 0 && stillNamed(folderFd_.get(), name_, fd.get())) {
            fd_ = std::move(fd);
            path_ = folder_ + "/" + name_;
            return "";
        }
    }
    return SystemMessageText(EAGAIN);
}

bool AttributeJournalFile::write()
{
    if (!fd_) {
        if (const std::string wrong = open(); !wrong.empty()) {
            fail(wrong);
            return false;
        }
    }
    if (const int err = writeAll(fd_.get(), pending_)) {
        fail(SystemMessageText(err));
        return false;
    }
    return true;
}

void AttributeJournalFile::fail(const std::string& why)
{
    if (reported_)
        return;
    reported_ = true;
    report_("The attribute journal cannot be written (" + why +
            "): " + displayText(path_.empty() ? folder_ + "/" + name_ : path_) +
            ". Its records are kept and written as soon as it can be.");
}

void AttributeJournalFile::rescue()
{
    platform::FileDescriptor folder;
    const std::string where = openRescueFolder(folder);
    const std::string rescuePath = where + "/" + name_;
    platform::FileDescriptor fd;
    if (folder)
        fd = platform::FileDescriptor(::openat(folder.get(), name_.c_str(), kCreateFlags, 0600));
    std::string text = pending_;
    if (fd && writeAll(fd.get(), text) == 0 && ::fdatasync(fd.get()) == 0) {
        report_("The attribute journal could not be written; its last records were written to " +
                displayText(rescuePath) + " instead (umbrix-attrib --undo " +
                displayText(rescuePath) + " undoes them).");
    } else {
        report_("The attribute journal could not be written; these records were not kept:\n" +
                pending_);
    }
    pending_.clear();
}

} // namespace umbrix
