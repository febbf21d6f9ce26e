#include "cli/UndoCommand.h"

#include "cli/AttribCommand.h"
#include "cli/Interrupt.h"
#include "cli/UndoMove.h"
#include "journal/JournalFolder.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/EntryReach.h"
#include "platform/Error.h"
#include "platform/FolderHandle.h"
#include "platform/HoldingFolder.h"
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
// newest run's of that folder.  "" and the complaint when there is none.
std::string chooseJournal(const AttribArguments& arguments, const std::string& folder,
                          std::string& wrong)
{
    if (arguments.paths.empty()) {
        std::vector<JournalFileInfo> files;
        wrong = journalFiles(folder, files);
        if (wrong.empty() && files.empty())
            wrong = "No journal to undo in " + displayText(folder);
        else if (!wrong.empty())
            wrong += " - " + displayText(folder);
        return files.empty() ? std::string() : files.back().path;
    }
    const std::string& given = arguments.paths.front();
    if (given.find('/') == std::string::npos && ::access(given.c_str(), F_OK) != 0)
        return folder + "/" + given;
    return given;
}

// The folder holding the entry of `record`, reached without following a
// link, and the entry's word, when the entry is still the inode the journal
// names.  0, or ENOENT when it is gone, ESTALE when its path now leads to
// another inode (or through a link), or the errno of a failure.
int reachRecorded(const JournalRecord& record, platform::FileDescriptor& folder, std::string& name,
                  uint32_t& word)
{
    int err = platform::openHoldingFolder(record.path, folder, name);
    if (err == ELOOP || err == ENOTDIR)
        return ESTALE;
    platform::FolderIdentity found;
    if (err == 0)
        err = platform::identityAt(folder.get(), name.c_str(), found);
    if (err)
        return err;
    if (!platform::isSameEntry(folder.get(), found,
                               {record.identity.device, record.identity.inode}))
        return ESTALE;
    return platform::queryAttributesAt(folder.get(), name.c_str(), record.path, word);
}

} // namespace

void runUndo(const AttribArguments& arguments, const std::string& journalFolder, Output& output)
{
    std::string wrong;
    const std::string journal = chooseJournal(arguments, journalFolder, wrong);
    if (journal.empty()) {
        output.failure(wrong);
        return;
    }
    JournalContents contents;
    if (const std::string why = readJournal(journal, contents); !why.empty()) {
        output.failure(why, journal);
        return;
    }
    if (contents.unreadable > 0) {
        const std::string skipped = std::to_string(contents.unreadable) +
                                    " unreadable lines of the journal were skipped - " +
                                    displayText(journal);
        // A journal with nothing but unreadable lines undoes nothing: a failure.
        contents.records.empty() ? output.failure(skipped) : output.warning(skipped);
    }
    output.summary("Undoing " + displayText(journal));

    int64_t restored = 0;
    int64_t leftAlone = 0;
    for (auto it = contents.records.rbegin(); it != contents.records.rend(); ++it) {
        if (interrupted())
            break;
        const JournalRecord& record = *it;
        if (arguments.since && record.microseconds < *arguments.since)
            continue;
        if (undoMove(record, output, restored, leftAlone))
            continue;
        uint32_t word = 0;
        EntryReport report{record.path, record.store, record.after, record.after, {}};
        platform::FileDescriptor folder;
        std::string name;
        const int err = reachRecorded(record, folder, name, word);
        if (err == ENOENT) {
            ++leftAlone;
            output.notDone();
            report.note = "left alone: no longer there";
            if (output.format() != OutputFormat::Nul)
                output.told("No longer there, left alone - " + displayText(record.path), report);
            continue;
        }
        if (err && err != ESTALE) {
            output.failure(SystemMessageText(err), record.path);
            continue;
        }
        report.before = word;
        report.after = word;
        if (err == ESTALE || (word & kCompared) != (record.after & kCompared)) {
            ++leftAlone;
            output.notDone();
            report.note = "left alone: changed since";
            if (output.format() != OutputFormat::Nul)
                output.told("Changed since, left alone - " + displayText(record.path), report);
            continue;
        }
        const uint32_t target = record.before & Attr::Writable;
        if (const int stored =
                platform::storeAttributesAt(folder.get(), name.c_str(), record.path, target)) {
            output.failure(SystemMessageText(stored), record.path);
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
