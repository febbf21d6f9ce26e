#include "cli/UndoCommand.h"

#include "cli/AttribCommand.h"
#include "cli/Interrupt.h"
#include "log/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/PathText.h"

#include <cerrno>
#include <unistd.h>

namespace umbrix::cli {
namespace {

namespace Attr = platform::Attr;

// What an entry must still read as for its change to be undone: the
// attributes the journal knows, and the same kind of entry.
constexpr uint32_t kCompared = Attr::Writable | Attr::Directory | Attr::ReparsePoint;

// The journal to undo: a path, a file name of the journal folder, or the
// newest of that folder.
std::string chooseJournal(const AttribArguments& arguments, const std::string& folder)
{
    if (arguments.paths.empty()) {
        const std::vector<std::string> files = journalFiles(folder);
        return files.empty() ? std::string() : files.back();
    }
    const std::string& given = arguments.paths.front();
    if (given.find('/') == std::string::npos && ::access(given.c_str(), F_OK) != 0)
        return folder + "/" + given;
    return given;
}

} // namespace

void runUndo(const AttribArguments& arguments, const std::string& journalFolder, Output& output)
{
    const std::string journal = chooseJournal(arguments, journalFolder);
    if (journal.empty()) {
        output.failure("No journal to undo in " + displayText(journalFolder));
        return;
    }
    JournalContents contents;
    if (const int err = readJournal(journal, contents)) {
        output.failure(SystemMessageText(err), journal);
        return;
    }
    if (contents.unreadable > 0)
        output.warning(std::to_string(contents.unreadable) +
                       " unreadable lines of the journal were skipped - " + displayText(journal));
    output.summary("Undoing " + displayText(journal));

    int64_t restored = 0;
    int64_t leftAlone = 0;
    for (auto it = contents.records.rbegin(); it != contents.records.rend(); ++it) {
        if (interrupted())
            break;
        const JournalRecord& record = *it;
        if (arguments.since && record.microseconds < *arguments.since)
            continue;
        uint32_t word = 0;
        EntryReport report{record.path, record.store, record.after, record.after, {}};
        if (const int err = platform::queryAttributes(record.path, word)) {
            if (err != ENOENT && err != ENOTDIR) {
                output.failure(SystemMessageText(err), record.path);
                continue;
            }
            ++leftAlone;
            report.note = "left alone: no longer there";
            if (output.format() != OutputFormat::Nul)
                output.told("No longer there, left alone - " + displayText(record.path), report);
            continue;
        }
        report.before = word;
        report.after = word;
        if ((word & kCompared) != (record.after & kCompared)) {
            ++leftAlone;
            report.note = "left alone: changed since";
            if (output.format() != OutputFormat::Nul)
                output.told("Changed since, left alone - " + displayText(record.path), report);
            continue;
        }
        const uint32_t target = record.before & Attr::Writable;
        if (const int err = platform::storeAttributes(record.path, target)) {
            output.failure(SystemMessageText(err), record.path);
            continue;
        }
        ++restored;
        report.after = (word & ~Attr::Writable) | target;
        report.note = "restored";
        output.told("Restored  " + attributeColumns(report.after) + displayText(record.path),
                    report);
    }
    platform::flushAttributeJournal();
    output.summary(std::to_string(restored) + " restored, " + std::to_string(leftAlone) +
                   " left alone.");
}

} // namespace umbrix::cli
