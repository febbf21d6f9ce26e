#include "platform/StoreBackends.h"

#include <cerrno>
#include <sys/xattr.h>

namespace umbrix::platform::stores {

int xattrWordRead(const char* path, const char* name, uint32_t& stored)
{
    uint32_t word = 0;
    const ssize_t n = ::lgetxattr(path, name, &word, sizeof word);
    if (n < 0)
        return errno;
    if (n != sizeof word)
        return EBADMSG;
    stored = word;
    return 0;
}

int xattrWordWrite(const char* path, const char* name, uint32_t stored)
{
    return ::lsetxattr(path, name, &stored, sizeof stored, 0) == 0 ? 0 : errno;
}

} // namespace umbrix::platform::stores
