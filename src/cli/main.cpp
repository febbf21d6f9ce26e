#include "cli/AttribMain.h"
#include "cli/Interrupt.h"
#include "journal/AttributeJournalFile.h"
#include "platform/OpenFileLimit.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace umbrix;
    cli::catchInterrupts();
    platform::raiseOpenFileLimit();
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
