#include "cli/AttribMain.h"

#include "cli/AttribArguments.h"
#include "cli/AttribCommand.h"
#include "cli/AttribUsage.h"
#include "cli/Interrupt.h"
#include "cli/SuspectsCommand.h"
#include "cli/UndoCommand.h"
#include "cli/UnhideCommand.h"
#include "platform/Error.h"

#include <new>

namespace umbrix::cli {

int attribMain(const std::vector<std::string>& argv, std::FILE* out, std::FILE* err,
               const std::string& journalFolder)
{
    const ParsedArguments parsed = parseArguments(argv);
    if (!parsed.error.empty()) {
        std::fprintf(err, "umbrix-attrib: %s\nTry 'umbrix-attrib --help'.\n", parsed.error.c_str());
        return kExitUsage;
    }
    const AttribArguments& arguments = parsed.arguments;
    const bool forPeople = arguments.format == OutputFormat::Text;
    ProgressLine progress(out, err, ProgressLine::wanted(err, forPeople),
                          ProgressLine::steadyMilliseconds, ProgressLine::columnsOf(err));
    Output output(out, err, arguments.format, progress);
    try {
        switch (arguments.command) {
        case Command::Help:
            std::fputs(attribUsageText().c_str(), out);
            return kExitDone;
        case Command::Version:
            std::fputs(attribVersionText().c_str(), out);
            return kExitDone;
        case Command::Attrib:
            runAttrib(arguments, output);
            break;
        case Command::Unhide:
            runUnhide(arguments, output);
            break;
        case Command::Undo:
            runUndo(arguments, journalFolder, output);
            break;
        case Command::Suspects:
            runSuspects(arguments, output);
            break;
        }
    } catch (const Error& e) {
        output.failure(e.description);
    } catch (const std::bad_alloc&) {
        output.failure(SystemMessageText(ENOMEM));
    }
    progress.clear();
    std::fflush(out);
    if (interrupted())
        return kExitInterrupted;
    return output.failed() ? kExitFailed : kExitDone;
}

} // namespace umbrix::cli
