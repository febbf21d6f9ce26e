#include "fileops/FileContent.h"

#include "platform/AttributeStore.h"
#include "platform/DosAttribCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace umbrix::fileops {
namespace {

bool tryNextMethod(int err)
{
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP ||
           err == EBADF;
}

// A file with holes keeps them: only its data is copied, and the size is
// set last.  nullopt when the filesystem cannot tell where the data lies.
std::optional<TransferResult> copyWithHoles(int in, int out, off_t size)
{
    std::vector<char> buffer(std::size_t{128} * 1024);
    for (off_t pos = 0;;) {
        const off_t data = ::lseek(in, pos, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break;
            if (pos == 0)
                return std::nullopt;
            return TransferResult{errno, false};
        }
        const off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return TransferResult{errno, false};
        for (off_t at = data; at < hole;) {
            const auto want = static_cast<std::size_t>(
                std::min<off_t>(static_cast<off_t>(buffer.size()), hole - at));
            const ssize_t n = ::pread(in, buffer.data(), want, at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return TransferResult{errno, false};
            if (n == 0)
                break;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::pwrite(out, buffer.data() + done,
                                           static_cast<std::size_t>(n - done), at + done);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    return TransferResult{errno, true};
                done += w;
            }
            at += n;
        }
        pos = hole;
    }
    if (::ftruncate(out, size) != 0)
        return TransferResult{errno, true};
    return TransferResult{};
}

} // namespace

bool cannotHold(int err)
{
    return err == ENOTSUP || err == EOPNOTSUPP || err == EPERM;
}

// In-kernel copies first (reflinks or server-side copies where the
// filesystem offers them), the plain loop last.  Files that report no size
// (procfs and the like) make the in-kernel copies stop at once, so a first
// call that copies nothing hands over to the next method rather than being
// taken for the end of the file.
TransferResult copyData(int in, int out)
{
    struct stat st;
    if (::fstat(in, &st) == 0 && S_ISREG(st.st_mode) && st.st_blocks * 512 < st.st_size &&
        ::lseek(in, 0, SEEK_CUR) == 0) {
        if (auto done = copyWithHoles(in, out, st.st_size))
            return *done;
    }
    constexpr std::size_t chunk = std::size_t{1} << 30;
    bool copied = false;
    // Runs one in-kernel method to the end.  nullopt: hand over to the next
    // method, since this one cannot copy between these two descriptors.
    const auto inKernel = [&](auto&& copyChunk) -> std::optional<TransferResult> {
        for (;;) {
            const ssize_t n = copyChunk();
            if (n > 0) {
                copied = true;
                continue;
            }
            if (n == 0 && copied)
                return TransferResult{};
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && !tryNextMethod(errno))
                return TransferResult{errno, true};
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

TransferResult copyUserXattrs(int in, int out)
{
    ssize_t listSize = ::flistxattr(in, nullptr, 0);
    if (listSize < 0)
        return cannotHold(errno) ? TransferResult{} : TransferResult{errno, false};
    if (listSize == 0)
        return {};
    std::vector<char> names(static_cast<std::size_t>(listSize));
    listSize = ::flistxattr(in, names.data(), names.size());
    if (listSize < 0)
        return {errno, false};

    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + listSize;
         name += std::char_traits<char>::length(name) + 1) {
        if (std::char_traits<char>::compare(name, "user.", 5) != 0 ||
            std::string_view(name) == platform::dosattrib::XattrName)
            continue;
        ssize_t size = ::fgetxattr(in, name, nullptr, 0);
        if (size < 0)
            continue; // removed meanwhile
        value.resize(static_cast<std::size_t>(size));
        size = ::fgetxattr(in, name, value.data(), value.size());
        if (size < 0)
            continue;
        if (::fsetxattr(out, name, value.data(), static_cast<std::size_t>(size), 0) != 0) {
            if (cannotHold(errno))
                return {};
            return {errno, true};
        }
    }
    return {};
}

TransferResult carryDosAttributes(int in, int out)
{
    bool onTarget = false;
    const int err = platform::copyDosAttributes(in, out, onTarget);
    if (err && onTarget && cannotHold(err))
        return {};
    return {err, onTarget};
}

} // namespace umbrix::fileops
