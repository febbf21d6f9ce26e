#include "suspects/ShellLink.h"

#include "platform/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <liblnk.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

namespace umbrix::suspects {
namespace {

// The shortcut's fixed header: its size and the shell link class identifier,
// which liblnk checks too; bytes that do not begin so are refused before the
// library sees them.
constexpr unsigned char kHeader[20] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0,
                                       0,    0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};

struct ErrorFree {
    void operator()(liblnk_error_t* error) const { liblnk_error_free(&error); }
};
using ErrorHolder = std::unique_ptr<liblnk_error_t, ErrorFree>;

struct FileFree {
    void operator()(liblnk_file_t* file) const
    {
        liblnk_file_close(file, nullptr);
        liblnk_file_free(&file, nullptr);
    }
};

std::string describe(liblnk_error_t* error)
{
    const ErrorHolder held(error);
    char text[512] = {};
    if (error && liblnk_error_sprint(error, text, sizeof text) > 0)
        return text;
    return "not a shortcut liblnk can read";
}

using Getter = int (*)(liblnk_file_t*, uint8_t*, size_t, liblnk_error_t**);
using SizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);

// One string of the shortcut; "" when it has none.  false when liblnk
// failed to read it.
bool readString(liblnk_file_t* file, SizeGetter sizeOf, Getter get, std::string& out,
                std::string& failure)
{
    liblnk_error_t* error = nullptr;
    size_t size = 0;
    const int has = sizeOf(file, &size, &error);
    if (has < 0) {
        failure = describe(error);
        return false;
    }
    if (has == 0 || size == 0)
        return true;
    if (size > kMaxShellLinkBytes * 4) {
        failure = "a string larger than the shortcut";
        return false;
    }
    std::string text(size, '\0');
    if (get(file, reinterpret_cast<uint8_t*>(text.data()), size, &error) != 1) {
        failure = describe(error);
        return false;
    }
    text.resize(std::strlen(text.c_str()));
    out = std::move(text);
    return true;
}

} // namespace

std::string readShellLink(std::string_view bytes, ShellLink& link)
{
    link = ShellLink{};
    if (bytes.size() < sizeof kHeader || std::memcmp(bytes.data(), kHeader, sizeof kHeader) != 0)
        return "no shortcut header";
    if (bytes.size() > kMaxShellLinkBytes)
        return "larger than any shortcut";

    // liblnk reads files by name.  The bytes, already read without
    // following a link, go to a memory file that it opens through /proc:
    // reads past its end then come back short, where libbfio's own memory
    // handle would copy past the buffer.
    platform::FileDescriptor memory(::memfd_create("umbrix-lnk", MFD_CLOEXEC));
    if (!memory)
        return std::strerror(errno);
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(memory.get(), bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(done));
        if (n <= 0)
            return std::strerror(n < 0 ? errno : EIO);
        done += static_cast<size_t>(n);
    }
    const std::string name = "/proc/self/fd/" + std::to_string(memory.get());

    liblnk_file_t* raw = nullptr;
    liblnk_error_t* error = nullptr;
    if (liblnk_file_initialize(&raw, &error) != 1)
        return describe(error);
    if (liblnk_file_open(raw, name.c_str(), LIBLNK_OPEN_READ, &error) != 1) {
        liblnk_file_free(&raw, nullptr);
        return describe(error);
    }
    const std::unique_ptr<liblnk_file_t, FileFree> file(raw);

    struct Part {
        SizeGetter sizeOf;
        Getter get;
        std::string ShellLink::*field;
    };
    static const Part parts[] = {
        {liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path,
         &ShellLink::localPath},
        {liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path,
         &ShellLink::networkPath},
        {liblnk_file_get_utf8_relative_path_size, liblnk_file_get_utf8_relative_path,
         &ShellLink::relativePath},
        {liblnk_file_get_utf8_environment_variables_location_size,
         liblnk_file_get_utf8_environment_variables_location, &ShellLink::environmentPath},
        {liblnk_file_get_utf8_working_directory_size, liblnk_file_get_utf8_working_directory,
         &ShellLink::workingDirectory},
        {liblnk_file_get_utf8_command_line_arguments_size,
         liblnk_file_get_utf8_command_line_arguments, &ShellLink::arguments},
    };
    std::string failure;
    for (const Part& part : parts)
        if (!readString(file.get(), part.sizeOf, part.get, link.*part.field, failure))
            return failure;
    return "";
}

} // namespace umbrix::suspects
