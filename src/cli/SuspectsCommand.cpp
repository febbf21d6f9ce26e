#include "cli/SuspectsCommand.h"

#include "cli/Interrupt.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "suspects/Quarantine.h"

#include <map>

namespace umbrix::cli {

void runSuspects(const AttribArguments& arguments, Output& output)
{
    const std::string& top = arguments.paths.front();
    const auto going = [](const std::string&) { return !interrupted(); };
    suspects::SuspectFindings findings = suspects::findSuspects(top, going);
    for (const suspects::SuspectFailure& failure : findings.failures)
        output.failure(SystemMessageText(failure.error), failure.path);

    std::vector<std::string> chosen;
    for (const suspects::Suspect& suspect : findings.suspects)
        if (suspect.sure)
            chosen.push_back(suspect.path);
    std::map<std::string, std::string> movedTo;
    if (arguments.quarantine && !findings.stopped) {
        suspects::QuarantineResult result = suspects::quarantine(top, chosen, going);
        for (const suspects::SuspectFailure& failure : result.failures)
            output.failure("Not quarantined: " + SystemMessageText(failure.error), failure.path);
        for (suspects::QuarantineMove& move : result.moved)
            movedTo[move.from] = std::move(move.to);
    }

    for (const suspects::Suspect& suspect : findings.suspects) {
        const auto moved = movedTo.find(suspect.path);
        std::string note = suspect.reason;
        if (moved != movedTo.end())
            note += "; moved to " + moved->second;
        const EntryReport report{suspect.path, "", 0, 0, note};
        output.told(displayText(note) + " - " + displayText(suspect.path), report);
    }
    const size_t unsure = findings.suspects.size() - chosen.size();
    std::string total = std::to_string(findings.suspects.size()) + " suspects";
    if (unsure > 0)
        total += " (" + std::to_string(unsure) + " unreadable, left where they are)";
    if (arguments.quarantine)
        total += ", " + std::to_string(movedTo.size()) + " moved to " +
                 displayText(std::string(suspects::kQuarantineFolder));
    output.summary(total + ".");
}

} // namespace umbrix::cli
