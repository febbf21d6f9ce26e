#include "platform/StoreBackends.h"

#include <cerrno>

namespace umbrix::platform::stores {

int xattrWordRead(Entry& entry, const char* name, uint32_t& stored)
{
    uint32_t word = 0;
    const ssize_t n = entry.getXattr(name, &word, sizeof word);
    if (n < 0)
        return static_cast<int>(-n);
    if (n != sizeof word)
        return EBADMSG;
    stored = word;
    return 0;
}

int xattrWordWrite(Entry& entry, const char* name, uint32_t stored)
{
    return entry.setXattr(name, &stored, sizeof stored, 0);
}

} // namespace umbrix::platform::stores
