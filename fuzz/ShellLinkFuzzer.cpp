// Shortcuts as a stick may carry them: no bytes may crash liblnk's use or
// the rules that read what it gives, and what it gives is plain text.

#include "suspects/ShellLink.h"
#include "suspects/SuspectRules.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    umbrix::suspects::ShellLink link;
    const std::string reason = umbrix::suspects::readShellLink(raw, link);
    if (!reason.empty())
        return 0;
    for (const std::string* part : {&link.localPath, &link.networkPath, &link.relativePath,
                                    &link.environmentPath, &link.workingDirectory, &link.arguments}) {
        require(part->find('\0') == std::string::npos);
        require(part->size() <= 4 * size);
        umbrix::suspects::interpreterOf(*part);
        umbrix::suspects::volumePath(*part);
    }
    for (const std::string& word : umbrix::suspects::commandWords(link.arguments))
        require(!word.empty() && word.front() != '/');
    return 0;
}
