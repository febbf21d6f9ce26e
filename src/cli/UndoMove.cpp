#include "cli/UndoMove.h"

#include "platform/Error.h"
#include "platform/PathText.h"
#include "suspects/Quarantine.h"

#include <cerrno>

namespace umbrix::cli {

bool undoMove(const JournalRecord& record, Output& output, int64_t& restored, int64_t& leftAlone)
{
    const bool move = record.store == kMoveRecord;
    if (!move && record.store != kFolderMadeRecord)
        return false;
    const int err = move ? suspects::moveBack(record.path, record.to, record.identity)
                         : suspects::removeMadeFolder(record.path, record.identity);
    EntryReport report{record.path, record.store, 0, 0, {}};
    if (err == ENOENT || err == ESTALE || err == EEXIST || err == ENOTEMPTY) {
        ++leftAlone;
        const std::string_view why = err == ENOENT   ? "no longer there"
                                     : err == ESTALE ? "changed since"
                                     : err == EEXIST ? "its place is taken"
                                                     : "not empty";
        const std::string note = "left alone: " + std::string(why);
        report.note = note;
        const std::string path = displayText(err == ENOENT && move ? record.to : record.path);
        if (output.format() != OutputFormat::Nul)
            output.told(std::string(1, static_cast<char>(why[0] - 'a' + 'A')) +
                            std::string(why.substr(1)) + ", left alone - " + path,
                        report);
        return true;
    }
    if (err != 0) {
        output.failure(SystemMessageText(err), move ? record.to : record.path);
        return true;
    }
    ++restored;
    report.note = move ? "moved back" : "removed";
    output.told((move ? "Moved back  " : "Removed  ") + displayText(record.path), report);
    return true;
}

} // namespace umbrix::cli
