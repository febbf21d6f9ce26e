#include "platform/OpenFileLimit.h"

#include <cerrno>
#include <sys/resource.h>

namespace umbrix::platform {

void raiseOpenFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

bool outOfDescriptors(int err)
{
    return err == EMFILE || err == ENFILE;
}

} // namespace umbrix::platform
