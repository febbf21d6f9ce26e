#include "log/LogError.h"

#include "platform/LogLine.h"
#include "platform/AppTitle.h"
#include "platform/FileDescriptor.h"
#include "platform/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

// The build folder this program was made in: a program run from there writes
// its log beside itself, an installed one never does.
constexpr std::string_view kBuildTree = UMBRIX_BUILD_TREE;

struct LogFileState {
    std::string LogFolder; // ends in "/" once chosen
    std::string LogFileName;
    std::string forcedFolder;
    std::string forcedFallback;
};

LogFileState& state()
{
    static LogFileState s;
    return s;
}

std::string programFile()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string upperProgramName(const std::string& program)
{
    std::string name = program.substr(program.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (name.empty())
        name = "UMBRIX";
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name + ".log";
}

bool canAppendIn(const std::string& folder, const std::string& fileName)
{
    if (folder.empty() || ::access(folder.c_str(), W_OK) != 0)
        return false;
    const std::string file = folder + fileName;
    return ::access(file.c_str(), F_OK) != 0 || ::access(file.c_str(), W_OK) == 0;
}

std::string userDataFolder()
{
    if (!state().forcedFallback.empty())
        return state().forcedFallback;
    // $XDG_DATA_HOME/Umbrix: the generic location, since the per-application
    // one would add the organisation's name a second time.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return {};
    const QString folder = data + QStringLiteral("/Umbrix");
    QDir().mkpath(folder);
    return QFile::encodeName(folder).toStdString();
}

bool isWithin(const std::string& path, const std::string& folder)
{
    return !folder.empty() && path.starts_with(folder) &&
           (folder.back() == '/' || path.size() == folder.size() || path[folder.size()] == '/');
}

void chooseLogFile()
{
    LogFileState& s = state();
    const std::string program = programFile();
    if (s.LogFileName.empty())
        s.LogFileName = upperProgramName(program);
    if (!s.LogFolder.empty())
        return;
    s.LogFolder = s.forcedFolder.empty() ? logFolderFor(program, std::string(kBuildTree),
                                                        s.LogFileName, userDataFolder)
                                         : s.forcedFolder;
    if (s.LogFolder.empty() || s.LogFolder.back() != '/')
        s.LogFolder += '/';
}

bool writeAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

enum class Append { Written, NotARegularFile, Failed };

// O_NOFOLLOW and O_NONBLOCK: a link at the log path fails the open instead of
// sending the line to its target, and a FIFO either fails it (no reader) or
// is refused below, instead of blocking the program for good.
Append appendLine(const std::string& file, const std::string& line)
{
    const platform::FileDescriptor fd(::open(
        file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
    if (!fd) {
        const bool occupied = errno == ELOOP || errno == ENXIO || errno == EISDIR;
        return occupied ? Append::NotARegularFile : Append::Failed;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return Append::Failed;
    if (!S_ISREG(st.st_mode))
        return Append::NotARegularFile;
    return writeAll(fd.get(), line) ? Append::Written : Append::Failed;
}

bool ensureFolder(const std::string& folder)
{
    return DirExists(folder) || ::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace

std::string logFolderFor(const std::string& program, const std::string& buildTree,
                         const std::string& fileName,
                         const std::function<std::string()>& dataFolder)
{
    const std::size_t slash = program.rfind('/');
    const std::string beside =
        slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    if (isWithin(program, buildTree) && canAppendIn(beside, fileName))
        return beside;
    const std::string data = dataFolder();
    return data.empty() ? beside : data;
}

void LogError(const std::string& ProcName, const std::string& Message, int32_t ErrNumber,
              const std::string& Detail) noexcept
{
    try {
        chooseLogFile();
        const LogFileState& s = state();
        // Only the last level is made; the process's current directory is
        // left alone, it is the file browser's business.
        if (!ensureFolder(s.LogFolder))
            return;

        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (!::localtime_r(&now, &local))
            return;
        const std::string line =
            formatLogLine(std::string(AppTitle), local, ProcName, Message, ErrNumber, Detail);

        if (appendLine(s.LogFolder + s.LogFileName, line) != Append::NotARegularFile)
            return;
        std::string data = userDataFolder();
        if (data.empty())
            return;
        if (data.back() != '/')
            data += '/';
        if (data != s.LogFolder && ensureFolder(data))
            appendLine(data + s.LogFileName, line);
    } catch (...) {
        // The log is the last resort; a failure here has nowhere to go.
    }
}

std::string logFilePath()
{
    chooseLogFile();
    return state().LogFolder + state().LogFileName;
}

ScopedLogFolder::ScopedLogFolder(std::string folder, std::string fallback)
    : previous_(state().forcedFolder), previousFallback_(state().forcedFallback)
{
    state().forcedFolder = std::move(folder);
    state().forcedFallback = std::move(fallback);
    state().LogFolder.clear();
}

ScopedLogFolder::~ScopedLogFolder()
{
    state().forcedFolder = previous_;
    state().forcedFallback = previousFallback_;
    state().LogFolder.clear();
}

} // namespace umbrix
