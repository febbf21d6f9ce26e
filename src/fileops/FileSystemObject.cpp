#include "fileops/FileSystemObject.h"

#include "platform/FileHelpers.h"
#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/PathText.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace umbrix {

namespace {

// --- descriptors -----------------------------------------------------------

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Closes and reports what close() said: on some filesystems a write
    // error only shows here.
    int close()
    {
        const int result = ::close(std::exchange(fd_, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

// A directory stream over a descriptor it owns; fd() serves the *at() calls
// for the entries, so each level of a walk holds a single descriptor.
class DirStream {
public:
    explicit DirStream(int fd)
    {
        if (fd < 0) {
            error_ = errno;
            return;
        }
        dir_ = ::fdopendir(fd);
        if (!dir_) {
            error_ = errno;
            ::close(fd);
        }
    }
    ~DirStream()
    {
        if (dir_)
            ::closedir(dir_);
    }
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    bool valid() const { return dir_ != nullptr; }
    int error() const { return error_; }
    int fd() const { return ::dirfd(dir_); }

    // The next entry other than "." and ".."; nullptr at the end or on a
    // read error (then error() is set).
    const dirent* next()
    {
        for (;;) {
            errno = 0;
            const dirent* d = ::readdir(dir_);
            if (!d) {
                error_ = errno;
                return nullptr;
            }
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
                continue;
            return d;
        }
    }

private:
    DIR* dir_ = nullptr;
    int error_ = 0;
};

int openDirectoryAt(int dirFd, const char* name)
{
    return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// --- errors ----------------------------------------------------------------

[[noreturn]] void fail(int err, const std::string& path)
{
    std::string description = SystemMessageText(err);
    if (!path.empty())
        description += ": \"" + displayText(path) + "\"";
    throw Error{errorNumberFromErrno(err), std::move(description)};
}

[[noreturn]] void failReadOnly(const std::string& path)
{
    std::string description = standardDescription(ErrorNumber::PermissionDenied);
    if (!path.empty())
        description += ": \"" + displayText(path) + "\" is read-only";
    throw Error{ErrorNumber::PermissionDenied, std::move(description)};
}

[[noreturn]] void failMountPoint(const std::string& path)
{
    throw Error{errorNumberFromErrno(EBUSY), SystemMessageText(EBUSY) + ": \"" + displayText(path) +
                                                 "\" is a mount point of another volume"};
}

// --- paths -----------------------------------------------------------------

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct SplitPath {
    std::string folder;
    std::string name;
};

// `path` without trailing slashes.
SplitPath splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

std::string joinPath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// Appends "/name" for the life of the scope, so that a walk keeps one path
// buffer per side instead of building a string per entry.
class PathPush {
public:
    PathPush(std::string& path, const char* name) : path_(path), size_(path.size())
    {
        path_ += '/';
        path_ += name;
    }
    ~PathPush() { path_.resize(size_); }
    PathPush(const PathPush&) = delete;
    PathPush& operator=(const PathPush&) = delete;

private:
    std::string& path_;
    std::size_t size_;
};

// --- identity and volumes --------------------------------------------------

struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t mode = 0;
    uint64_t mountId = 0;
    bool hasMountId = false;
};

// A bind mount of the same filesystem keeps st_dev, so the mount id is what
// tells a mount point apart; kernels without it fall back to the device.
bool identify(int dirFd, const char* name, int flags, Identity& id)
{
    struct statx sx;
    if (::statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_MNT_ID, &sx) != 0)
        return false;
    id.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    id.ino = sx.stx_ino;
    id.mode = sx.stx_mode;
    id.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
    id.mountId = sx.stx_mnt_id;
    return true;
}

bool identifyFd(int fd, Identity& id)
{
    return identify(fd, "", AT_EMPTY_PATH, id);
}

bool sameVolume(const Identity& a, const Identity& b)
{
    if (a.dev != b.dev)
        return false;
    return !(a.hasMountId && b.hasMountId) || a.mountId == b.mountId;
}

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the directory open as `dirFd` is `root` or lies below it, found by
// walking "..": this follows the real tree, whatever links or bind mounts
// the destination path was written with.
bool isWithin(int dirFd, const struct stat& root)
{
    UniqueFd current(::fcntl(dirFd, F_DUPFD_CLOEXEC, 0));
    struct stat st;
    if (!current || ::fstat(current.get(), &st) != 0)
        return false;
    for (;;) {
        if (sameEntry(st, root))
            return true;
        UniqueFd up(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat upSt;
        if (!up || ::fstat(up.get(), &upSt) != 0)
            return false;
        if (sameEntry(upSt, st))
            return false; // the root of the tree
        current = std::move(up);
        st = upSt;
    }
}

// --- attributes ------------------------------------------------------------

bool isReadOnly(const std::string& path)
{
    uint32_t word = 0;
    return platform::queryAttributes(path, word) == 0 && (word & platform::Attr::ReadOnly);
}

// What a forced delete does on Windows: take the read-only attribute off and
// try again.  Stores that keep it apart from the mode bits (SMB servers) can
// refuse the unlink until then.
bool clearReadOnly(const std::string& path)
{
    uint32_t word = 0;
    if (platform::queryAttributes(path, word) != 0 || !(word & platform::Attr::ReadOnly))
        return false;
    return platform::storeAttributes(path, (word & platform::Attr::Writable) &
                                               ~platform::Attr::ReadOnly) == 0;
}

bool unsupported(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP || err == EPERM;
}

// The user.* extended attributes travel with the copy, user.DOSATTRIB (the
// DOS attributes on Linux filesystems) among them.  A target that cannot
// hold them is not a reason to fail the copy.
struct XattrResult {
    int error = 0;
    bool onTarget = false;
};

XattrResult copyUserXattrs(int in, int out)
{
    ssize_t listSize = ::flistxattr(in, nullptr, 0);
    if (listSize < 0)
        return unsupported(errno) ? XattrResult{} : XattrResult{errno, false};
    if (listSize == 0)
        return {};
    std::vector<char> names(static_cast<std::size_t>(listSize));
    listSize = ::flistxattr(in, names.data(), names.size());
    if (listSize < 0)
        return {errno, false};

    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + listSize;
         name += std::char_traits<char>::length(name) + 1) {
        if (std::char_traits<char>::compare(name, "user.", 5) != 0)
            continue;
        ssize_t size = ::fgetxattr(in, name, nullptr, 0);
        if (size < 0)
            continue; // removed meanwhile
        value.resize(static_cast<std::size_t>(size));
        size = ::fgetxattr(in, name, value.data(), value.size());
        if (size < 0)
            continue;
        if (::fsetxattr(out, name, value.data(), static_cast<std::size_t>(size), 0) != 0) {
            if (unsupported(errno))
                return {};
            return {errno, true};
        }
    }
    return {};
}

// --- data ------------------------------------------------------------------

struct DataResult {
    int error = 0;
    bool onTarget = false;
};

bool tryNextMethod(int err)
{
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP ||
           err == EBADF;
}

// In-kernel copies first (reflinks or server-side copies where the
// filesystem offers them), the plain loop last.  Files that report no size
// (procfs and the like) make the in-kernel copies stop at once, so a first
// call that copies nothing hands over to the next method rather than being
// taken for the end of the file.
DataResult copyData(int in, int out)
{
    constexpr std::size_t chunk = std::size_t{1} << 30;
    bool copied = false;
    // Runs one in-kernel method to the end.  nullopt: hand over to the next
    // method, since this one cannot copy between these two descriptors.
    const auto inKernel = [&](auto&& copyChunk) -> std::optional<DataResult> {
        for (;;) {
            const ssize_t n = copyChunk();
            if (n > 0) {
                copied = true;
                continue;
            }
            if (n == 0 && copied)
                return DataResult{};
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && !tryNextMethod(errno))
                return DataResult{errno, true};
            return std::nullopt;
        }
    };
    if (auto done =
            inKernel([&] { return ::copy_file_range(in, nullptr, out, nullptr, chunk, 0); }))
        return *done;
    if (auto done = inKernel([&] { return ::sendfile(out, in, nullptr, chunk); }))
        return *done;
    std::vector<char> buffer(std::size_t{128} * 1024);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return {};
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {errno, false};
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return {errno, true};
            }
            done += w;
        }
    }
}

// --- the new entry ---------------------------------------------------------

// The copy is built under a temporary name beside the target and renamed
// over it only when complete, so the old target survives a failed copy and
// a link at the target is replaced, never written through.
class TemporaryEntry {
public:
    explicit TemporaryEntry(int dirFd) : dirFd_(dirFd) {}
    ~TemporaryEntry()
    {
        if (created_ && !committed_)
            ::unlinkat(dirFd_, name_, 0);
    }
    TemporaryEntry(const TemporaryEntry&) = delete;
    TemporaryEntry& operator=(const TemporaryEntry&) = delete;

    // Each returns 0 or the errno of the failure.
    int createFile(UniqueFd& fd)
    {
        return create([&] {
            fd = UniqueFd(::openat(dirFd_, name_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            return fd ? 0 : errno;
        });
    }
    int createSymlink(const std::string& target)
    {
        return create([&] { return ::symlinkat(target.c_str(), dirFd_, name_) == 0 ? 0 : errno; });
    }
    int createNode(mode_t mode, dev_t device)
    {
        return create([&] { return ::mknodat(dirFd_, name_, mode, device) == 0 ? 0 : errno; });
    }

    int commit(const std::string& target, bool overwrite)
    {
        int result = 0;
        if (overwrite) {
            result = ::renameat(dirFd_, name_, dirFd_, target.c_str()) == 0 ? 0 : errno;
        } else if (::renameat2(dirFd_, name_, dirFd_, target.c_str(), RENAME_NOREPLACE) == 0) {
            result = 0;
        } else if (errno != EINVAL && errno != ENOSYS) {
            result = errno;
        } else if (::linkat(dirFd_, name_, dirFd_, target.c_str(), 0) == 0) {
            ::unlinkat(dirFd_, name_, 0);
        } else if (errno == EEXIST) {
            result = EEXIST;
        } else {
            // Neither an exclusive rename nor hard links here (FAT): the
            // existence test just made is the best there is.
            struct stat st;
            if (::fstatat(dirFd_, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                result = EEXIST;
            else
                result = ::renameat(dirFd_, name_, dirFd_, target.c_str()) == 0 ? 0 : errno;
        }
        committed_ = result == 0;
        return result;
    }

private:
    template <typename Make> int create(Make make)
    {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            std::snprintf(name_, sizeof name_, ".umbrix-copy-%d-%x-%lx",
                          static_cast<int>(::getpid()), counter.fetch_add(1),
                          static_cast<unsigned long>(now.tv_nsec));
            const int err = make();
            if (err != EEXIST) {
                created_ = err == 0;
                return err;
            }
        }
        return EEXIST;
    }

    int dirFd_;
    char name_[64] = {};
    bool created_ = false;
    bool committed_ = false;
};

int readLinkAt(int dirFd, const char* name, std::string& target)
{
    std::size_t size = 256;
    for (;;) {
        target.resize(size);
        const ssize_t n = ::readlinkat(dirFd, name, target.data(), target.size());
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return 0;
        }
        size *= 2;
    }
}

// --- copying ---------------------------------------------------------------

// Copies one entry that is not a directory.  `sourceLabel` and
// `targetLabel` name the entries in error descriptions; an empty label
// leaves the entry to the caller's own message.
void copyNonDirectory(int sourceDir, const char* sourceName, const struct stat& source,
                      const std::string& sourceLabel, int targetDir, const char* targetName,
                      const std::string& targetLabel, bool overwrite)
{
    struct stat existing;
    if (::fstatat(targetDir, targetName, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode))
            fail(EISDIR, targetLabel);
        if (sameEntry(existing, source)) {
            throw Error{errorNumberFromErrno(EINVAL), "Source and target are the same file: \"" +
                                                          displayText(targetLabel) + "\""};
        }
        if (!overwrite)
            fail(EEXIST, targetLabel);
    } else if (errno != ENOENT) {
        fail(errno, targetLabel);
    }

    TemporaryEntry temporary(targetDir);
    if (S_ISREG(source.st_mode)) {
        // O_NONBLOCK: should the entry have turned into a FIFO since it was
        // looked at, the open must not hang.
        UniqueFd in(
            ::openat(sourceDir, sourceName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!in)
            fail(errno, sourceLabel);
        struct stat opened;
        if (::fstat(in.get(), &opened) != 0)
            fail(errno, sourceLabel);
        if (!S_ISREG(opened.st_mode))
            fail(S_ISDIR(opened.st_mode) ? EISDIR : EINVAL, sourceLabel);

        UniqueFd out;
        if (const int err = temporary.createFile(out))
            fail(err, targetLabel);
        if (const DataResult r = copyData(in.get(), out.get()); r.error)
            fail(r.error, r.onTarget ? targetLabel : sourceLabel);
        if (const XattrResult r = copyUserXattrs(in.get(), out.get()); r.error)
            fail(r.error, r.onTarget ? targetLabel : sourceLabel);
        // Mode and time are kept where the target can hold them; FAT, for
        // one, cannot hold every mode.
        if (::fchmod(out.get(), opened.st_mode & 0777) != 0 && !unsupported(errno))
            fail(errno, targetLabel);
        const timespec times[2] = {{0, UTIME_OMIT}, opened.st_mtim};
        if (::futimens(out.get(), times) != 0 && !unsupported(errno))
            fail(errno, targetLabel);
        if (const int err = out.close())
            fail(err, targetLabel);
    } else if (S_ISLNK(source.st_mode)) {
        std::string linkTarget;
        if (const int err = readLinkAt(sourceDir, sourceName, linkTarget))
            fail(err, sourceLabel);
        if (const int err = temporary.createSymlink(linkTarget))
            fail(err, targetLabel);
    } else {
        // FIFOs, sockets and devices are made anew, never opened: reading a
        // device would copy what it produces, not the entry.
        if (const int err = temporary.createNode(source.st_mode & (S_IFMT | 0777), source.st_rdev))
            fail(err, targetLabel);
    }
    if (const int err = temporary.commit(targetName, overwrite))
        fail(err, targetLabel);
}

struct FolderCopy {
    bool overwrite = false;
    struct stat targetRoot {};
    std::vector<std::pair<dev_t, ino_t>> ancestors;
    std::string sourcePath;
    std::string targetPath;
};

bool isAncestor(const FolderCopy& copy, const struct stat& st)
{
    for (const auto& [dev, ino] : copy.ancestors) {
        if (dev == st.st_dev && ino == st.st_ino)
            return true;
    }
    return false;
}

// Copies the directory open in `source` (stat `sourceSt`) to `targetName`
// in `targetParent`, creating it or merging into an existing one.
void copyDirectory(DirStream& source, const struct stat& sourceSt, int targetParent,
                   const char* targetName, FolderCopy& copy, bool isTop)
{
    const bool created = ::mkdirat(targetParent, targetName, 0700) == 0;
    if (!created) {
        if (errno != EEXIST)
            fail(errno, copy.targetPath);
        struct stat existing;
        if (::fstatat(targetParent, targetName, &existing, AT_SYMLINK_NOFOLLOW) != 0)
            fail(errno, copy.targetPath);
        if (!S_ISDIR(existing.st_mode))
            fail(S_ISLNK(existing.st_mode) ? EEXIST : ENOTDIR, copy.targetPath);
    }
    UniqueFd target(openDirectoryAt(targetParent, targetName));
    if (!target)
        fail(errno, copy.targetPath);
    if (isTop && ::fstat(target.get(), &copy.targetRoot) != 0)
        fail(errno, copy.targetPath);

    copy.ancestors.emplace_back(sourceSt.st_dev, sourceSt.st_ino);
    while (const dirent* d = source.next()) {
        const PathPush sourceName(copy.sourcePath, d->d_name);
        const PathPush targetChild(copy.targetPath, d->d_name);
        struct stat st;
        if (::fstatat(source.fd(), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue; // removed while we walk
            fail(errno, copy.sourcePath);
        }
        if (!S_ISDIR(st.st_mode)) {
            copyNonDirectory(source.fd(), d->d_name, st, copy.sourcePath, target.get(), d->d_name,
                             copy.targetPath, copy.overwrite);
            continue;
        }
        // A bind mount can show a folder inside itself; without this the
        // copy would run until the disk is full.
        if (isAncestor(copy, st) || sameEntry(st, copy.targetRoot))
            fail(ELOOP, copy.sourcePath);
        DirStream child(openDirectoryAt(source.fd(), d->d_name));
        if (!child.valid())
            fail(child.error(), copy.sourcePath);
        copyDirectory(child, st, target.get(), d->d_name, copy, false);
    }
    if (source.error())
        fail(source.error(), copy.sourcePath);
    copy.ancestors.pop_back();

    // A new folder takes the source's attributes once it is filled: a
    // read-only source folder must not stop its own copy.
    if (created) {
        if (const XattrResult r = copyUserXattrs(source.fd(), target.get()); r.error)
            fail(r.error, r.onTarget ? copy.targetPath : copy.sourcePath);
        if (::fchmod(target.get(), sourceSt.st_mode & 01777) != 0 && !unsupported(errno))
            fail(errno, copy.targetPath);
        const timespec times[2] = {{0, UTIME_OMIT}, sourceSt.st_mtim};
        if (::futimens(target.get(), times) != 0 && !unsupported(errno))
            fail(errno, copy.targetPath);
    }
}

// --- deleting --------------------------------------------------------------

void unlinkEntry(int dirFd, const char* name, const std::string& path, bool force)
{
    if (!force && isReadOnly(path))
        failReadOnly(path);
    if (::unlinkat(dirFd, name, 0) == 0 || errno == ENOENT)
        return;
    int err = errno;
    if (force && (err == EACCES || err == EPERM) && clearReadOnly(path)) {
        if (::unlinkat(dirFd, name, 0) == 0 || errno == ENOENT)
            return;
        err = errno;
    }
    fail(err, path);
}

// Empties the directory open in `dir` (its path in `path`), never leaving the
// volume `volume` and never following a link.
void removeContents(DirStream& dir, std::string& path, const Identity& volume, bool force)
{
    while (const dirent* d = dir.next()) {
        const PathPush child(path, d->d_name);
        bool isDirectory = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(dir.fd(), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue;
                fail(errno, path);
            }
            isDirectory = S_ISDIR(st.st_mode);
        }
        if (!isDirectory) {
            unlinkEntry(dir.fd(), d->d_name, path, force);
            continue;
        }

        int fd = openDirectoryAt(dir.fd(), d->d_name);
        if (fd < 0 && errno == EACCES && force) {
            // A folder without read or search permission cannot be emptied;
            // forcing means giving the owner those rights first.
            ::fchmodat(dir.fd(), d->d_name, 0700, AT_SYMLINK_NOFOLLOW);
            fd = openDirectoryAt(dir.fd(), d->d_name);
        }
        if (fd < 0) {
            if (errno == ENOENT)
                continue;
            if (errno == ENOTDIR || errno == ELOOP) { // replaced by a file or link meanwhile
                unlinkEntry(dir.fd(), d->d_name, path, force);
                continue;
            }
            fail(errno, path);
        }
        DirStream childDir(fd);
        if (!childDir.valid())
            fail(childDir.error(), path);
        Identity id;
        if (!identifyFd(childDir.fd(), id))
            fail(errno, path);
        if (!sameVolume(id, volume))
            failMountPoint(path);
        if (!force && isReadOnly(path))
            failReadOnly(path);
        if (force && (id.mode & 0700) != 0700)
            ::fchmod(childDir.fd(), (id.mode & 07777) | 0700);

        removeContents(childDir, path, volume, force);
        if (::unlinkat(dir.fd(), d->d_name, AT_REMOVEDIR) != 0 && errno != ENOENT)
            fail(errno, path);
    }
    if (dir.error())
        fail(dir.error(), path);
}

} // namespace

// --- File ------------------------------------------------------------------

void FileSystemObject::File::Delete(bool force) const
{
    struct stat st;
    if (::lstat(path_.c_str(), &st) != 0)
        fail(errno, {});
    if (S_ISDIR(st.st_mode))
        fail(EISDIR, {});
    if (!force && isReadOnly(path_))
        failReadOnly({});
    if (::unlink(path_.c_str()) == 0)
        return;
    int err = errno;
    if (force && (err == EACCES || err == EPERM) && clearReadOnly(path_)) {
        if (::unlink(path_.c_str()) == 0)
            return;
        err = errno;
    }
    fail(err, {});
}

// --- Folder ----------------------------------------------------------------

std::vector<FileSystemObject::File> FileSystemObject::Folder::Files() const
{
    platform::DirectoryReader reader(path_);
    if (!reader.valid())
        fail(reader.error(), {});
    std::vector<File> files;
    platform::DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        bool isDirectory = entry.type == DT_DIR;
        if (entry.type == DT_UNKNOWN) {
            const std::string name(entry.name);
            struct stat st;
            if (::fstatat(reader.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            isDirectory = S_ISDIR(st.st_mode);
        }
        if (!isDirectory)
            files.push_back(File(joinPath(path_, entry.name)));
    }
    if (reader.error())
        fail(reader.error(), {});
    return files;
}

std::vector<FileSystemObject::Folder> FileSystemObject::Folder::SubFolders() const
{
    platform::DirectoryReader reader(path_);
    if (!reader.valid())
        fail(reader.error(), {});
    Identity self;
    if (!identifyFd(reader.fd(), self))
        fail(errno, {});
    std::vector<Folder> folders;
    platform::DirectoryReader::Entry entry;
    std::string name;
    while (reader.next(entry)) {
        if (entry.name == "." || entry.name == ".." ||
            (entry.type != DT_DIR && entry.type != DT_UNKNOWN))
            continue;
        name.assign(entry.name);
        Identity id;
        if (!identify(reader.fd(), name.c_str(), 0, id) || !S_ISDIR(id.mode))
            continue;
        if (sameVolume(id, self))
            folders.push_back(Folder(joinPath(path_, name)));
    }
    if (reader.error())
        fail(reader.error(), {});
    return folders;
}

void FileSystemObject::Folder::Delete(bool force) const
{
    const std::string path = withoutTrailingSlashes(path_);
    const SplitPath split = splitPath(path);
    if (split.name.empty() || split.name == "." || split.name == "..")
        fail(path == "/" ? EBUSY : EINVAL, {});

    UniqueFd parent(::open(split.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent)
        fail(errno, {});
    Identity parentId;
    if (!identifyFd(parent.get(), parentId))
        fail(errno, {});

    DirStream dir(openDirectoryAt(parent.get(), split.name.c_str()));
    if (!dir.valid())
        fail(dir.error() == ELOOP ? ENOTDIR : dir.error(), {});
    Identity id;
    if (!identifyFd(dir.fd(), id))
        fail(errno, {});
    // Emptying a mounted volume and then failing to remove its mount point
    // would be the worst of both.
    if (!sameVolume(id, parentId))
        failMountPoint(path);
    if (!force && isReadOnly(path))
        failReadOnly({});
    if (force && (id.mode & 0700) != 0700)
        ::fchmod(dir.fd(), (id.mode & 07777) | 0700);

    std::string walkPath = path;
    removeContents(dir, walkPath, id, force);
    if (::unlinkat(parent.get(), split.name.c_str(), AT_REMOVEDIR) != 0)
        fail(errno, {});
}

// --- FileSystemObject ------------------------------------------------------

void FileSystemObject::CopyFile(const std::string& source, const std::string& destination,
                                bool overwrite) const
{
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0)
        fail(errno, {});
    if (S_ISDIR(st.st_mode))
        fail(EISDIR, {});

    std::string target = destination;
    if (!target.empty() && target.back() == '/')
        target += FileNameOfPath(source);
    target = withoutTrailingSlashes(std::move(target));
    const SplitPath split = splitPath(target);
    if (split.name.empty() || split.name == "." || split.name == "..")
        fail(EISDIR, target);

    UniqueFd folder(::open(split.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        fail(errno, target);
    copyNonDirectory(AT_FDCWD, source.c_str(), st, {}, folder.get(), split.name.c_str(), target,
                     overwrite);
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination,
                                  bool overwrite) const
{
    const std::string sourcePath = withoutTrailingSlashes(source);
    DirStream sourceDir(
        ::open(sourcePath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!sourceDir.valid())
        fail(sourceDir.error() == ELOOP ? ENOTDIR : sourceDir.error(), {});
    struct stat sourceSt;
    if (::fstat(sourceDir.fd(), &sourceSt) != 0)
        fail(errno, {});

    std::string target = destination;
    if (!target.empty() && target.back() == '/')
        target += FileNameOfPath(sourcePath);
    target = withoutTrailingSlashes(std::move(target));
    const SplitPath split = splitPath(target);
    if (split.name.empty())
        fail(EEXIST, target);

    UniqueFd parent(::open(split.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent)
        fail(errno, target);
    struct stat existing;
    const bool targetExists =
        ::fstatat(parent.get(), split.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (isWithin(parent.get(), sourceSt) || (targetExists && sameEntry(existing, sourceSt))) {
        throw Error{errorNumberFromErrno(EINVAL),
                    "Cannot copy the folder \"" + displayText(sourcePath) + "\" into itself: \"" +
                        displayText(target) + "\""};
    }

    FolderCopy copy;
    copy.overwrite = overwrite;
    copy.sourcePath = sourcePath;
    copy.targetPath = target;
    copyDirectory(sourceDir, sourceSt, parent.get(), split.name.c_str(), copy, true);
}

FileSystemObject::File FileSystemObject::GetFile(const std::string& path) const
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        fail(errno, {});
    if (S_ISDIR(st.st_mode))
        fail(EISDIR, {});
    return File(path);
}

FileSystemObject::Folder FileSystemObject::GetFolder(const std::string& path) const
{
    struct stat st;
    if (::lstat(withoutTrailingSlashes(path).c_str(), &st) != 0)
        fail(errno, {});
    if (!S_ISDIR(st.st_mode))
        fail(ENOTDIR, {});
    return Folder(path);
}

bool FileSystemObject::FileExists(const std::string& path) const
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FileSystemObject::FolderExists(const std::string& path) const
{
    struct stat st;
    return ::lstat(withoutTrailingSlashes(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace umbrix
