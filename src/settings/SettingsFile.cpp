#include "settings/SettingsFile.h"

#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

constexpr off_t kMaxSettingsBytes = 1 << 20;

SettingsComplaint& complaint()
{
    static SettingsComplaint installed;
    return installed;
}

// Tells of `path` once.
void refuse(const QString& path)
{
    static QSet<QString> told;
    if (told.contains(path))
        return;
    told.insert(path);
    const QString message = QStringLiteral("The settings file is not a regular file and is left "
                                           "alone: \"%1\"")
                                .arg(path);
    if (complaint())
        complaint()(message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

std::string bytesOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The folder of `path`, made where missing, opened without following a
// link in its last component.
platform::FileDescriptor openFolder(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
    return platform::FileDescriptor(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

} // namespace

SettingsComplaint installSettingsComplaint(SettingsComplaint replacement)
{
    std::swap(complaint(), replacement);
    return replacement;
}

std::optional<QByteArray> readSettingsFile(const QString& path)
{
    const std::string name = bytesOf(path);
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0)
        return errno == ENOENT ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxSettingsBytes) {
        refuse(path);
        return std::nullopt;
    }
    const platform::FileDescriptor fd(
        ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    if (!fd || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
        refuse(path);
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[8192];
    for (ssize_t n; (n = ::read(fd.get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > kMaxSettingsBytes)
            return std::nullopt;
        bytes.append(buffer, n);
    }
    return bytes;
}

bool writeSettingsFile(const QString& path, const QByteArray& bytes)
{
    const std::string whole = bytesOf(path);
    const size_t slash = whole.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return false;
    const platform::FileDescriptor folder = openFolder(whole.substr(0, slash));
    const std::string name = whole.substr(slash + 1);
    struct stat st {};
    if (!folder)
        return false;
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(st.st_mode)) {
        refuse(path);
        return false;
    }
    const std::string temporary = "." + name + "." + std::to_string(::getpid()) + ".new";
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    platform::FileDescriptor fd(::openat(folder.get(), temporary.c_str(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                         0600));
    bool written = static_cast<bool>(fd);
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n =
            ::write(fd.get(), bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        written = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? n : 0;
    }
    written = written && ::fsync(fd.get()) == 0 && fd.close() == 0 &&
              ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) == 0;
    if (!written)
        ::unlinkat(folder.get(), temporary.c_str(), 0);
    return written;
}

} // namespace umbrix
