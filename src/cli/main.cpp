#include "cli/AttribMain.h"
#include "cli/Interrupt.h"
#include "log/AttributeJournalFile.h"

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    using namespace umbrix;
    cli::catchInterrupts();
    // The walk holds one descriptor for every level it is below.
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    const std::string folder = journalFolder();
    int status = 0;
    {
        AttributeJournalFile journal(folder, "umbrix-attrib", [](const std::string& message) {
            std::fflush(stdout);
            std::fprintf(stderr, "umbrix-attrib: %s\n", message.c_str());
        });
        const platform::ScopedAttributeJournal installed(journal);
        status =
            cli::attribMain(std::vector<std::string>(argv, argv + argc), stdout, stderr, folder);
    }
    std::fflush(stdout);
    return status;
}
