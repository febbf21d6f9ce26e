#include "fileops/SelfRegistration.h"

#include "fileops/FileSystemObject.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace umbrix {
namespace {

constexpr std::string_view kProbeText = "Umbrix self-check\n";

void writeProbe(const std::string& path)
{
    platform::FileDescriptor fd(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd)
        throwErrno(errno);
    if (::write(fd.get(), kProbeText.data(), kProbeText.size()) !=
        static_cast<ssize_t>(kProbeText.size()))
        throwErrno(errno ? errno : EIO);
    if (const int err = fd.close())
        throwErrno(err);
}

bool holdsProbeText(const std::string& path)
{
    platform::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return false;
    char buffer[64];
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    return got >= 0 && std::string_view(buffer, static_cast<std::size_t>(got)) == kProbeText;
}

// Removes the scratch folder whatever the check left in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent)
    {
        std::string pattern = (parent.empty() ? "." : parent) + "/umbrix-selfcheck-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data()))
            throwErrno(errno);
        path_ = buffer.data();
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string temporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp == '/' ? tmp : "/tmp";
}

} // namespace

int32_t CheckFileSystemObject(const std::string& scratch)
{
    const std::string probe = scratch + "/probe";
    const std::string probeFile = probe + "/data";
    const std::string copy = scratch + "/copy";
    if (::mkdir(probe.c_str(), 0700) != 0)
        throwErrno(errno);
    writeProbe(probeFile);

    const FileSystemObject fso;
    try {
        const std::vector<FileSystemObject::File> files = fso.GetFolder(probe).Files();
        if (!fso.FolderExists(probe) || !fso.FileExists(probeFile) || fso.FileExists(probe) ||
            files.size() != 1 || files[0].Path() != probeFile ||
            !fso.GetFolder(probe).SubFolders().empty())
            return SELFREG_E_TYPELIB;
    } catch (const Error&) {
        return SELFREG_E_TYPELIB;
    }

    try {
        fso.CopyFolder(probe, copy, false);
        if (!holdsProbeText(copy + "/data"))
            return SELFREG_E_CLASS;
        fso.GetFolder(copy).Delete(true);
        fso.GetFile(probeFile).Delete(true);
        if (fso.FolderExists(copy) || fso.FileExists(probeFile))
            return SELFREG_E_CLASS;
    } catch (const Error&) {
        return SELFREG_E_CLASS;
    }
    return 0;
}

int32_t DllRegisterServer(const std::string& scratchParent)
{
    const ScratchFolder scratch(scratchParent.empty() ? temporaryFolder() : scratchParent);
    return CheckFileSystemObject(scratch.path());
}

} // namespace umbrix
