#include "fileops/AttributeChange.h"

#include "platform/AppTitle.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/MsgBoxCodes.h"
#include "platform/PathText.h"

#include <exception>

namespace umbrix {

using platform::Attr::Archive;
using platform::Attr::Directory;
using platform::Attr::Hidden;
using platform::Attr::ReadOnly;
using platform::Attr::System;

namespace {

// A command over a selection has its changes in the journal before the
// window shows that it ended, however it ended.
struct JournalFlush {
    JournalFlush() = default;
    JournalFlush(const JournalFlush&) = delete;
    JournalFlush& operator=(const JournalFlush&) = delete;
    ~JournalFlush() { platform::flushAttributeJournal(); }
};

// The highest word made only of the five bits the program knows.
constexpr uint32_t kReducedMax = ReadOnly | Hidden | System | Directory | Archive;

bool contains(uint32_t word, uint32_t bits)
{
    return (word & bits) == bits;
}

std::string retryPrompt(const std::string& path)
{
    return "Unable to change Attribute to the file or directory:\r\r\"" + displayText(path) +
           "\"\r\rRetry?";
}

// The answer to a failure box of the box command: true to carry on (the
// step again after Yes, the next one after No), false when the user gave up.
enum class Retry { Again, Next, GiveUp };

Retry askAfterFailure(SelectionCommandView& view, const std::string& path,
                      const std::string& description, bool offerCancel)
{
    const int buttons = (offerCancel ? MsgBoxStyle::YesNoCancel : MsgBoxStyle::YesNo) +
                        MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2;
    const int answer = view.MsgBox(displayText(path) + "\r\r" + description, buttons,
                                   "Set Attribute Error, Retry?");
    view.setMsgAnswer(answer);
    if (answer == MsgBoxAnswer::Yes)
        return Retry::Again;
    return answer == MsgBoxAnswer::Cancel ? Retry::GiveUp : Retry::Next;
}

// Runs one step of the box command; a failure of the step itself (not of the
// entry, which ChangeAttribute answers quietly) goes to the failure box.
template <class Step>
bool stepWithRetry(SelectionCommandView& view, const std::string& path, bool offerCancel, Step step)
{
    for (;;) {
        std::string description;
        try {
            step();
            return true;
        } catch (const Error& e) {
            description = e.description;
        } catch (const std::exception& e) {
            description = e.what();
        }
        switch (askAfterFailure(view, path, description, offerCancel)) {
        case Retry::Again:
            continue;
        case Retry::Next:
            return true;
        case Retry::GiveUp:
            return false;
        }
    }
}

} // namespace

uint32_t attributeIndexBit(int16_t index)
{
    return index >= 0 && index < 4 ? AttributeBoxBits[static_cast<std::size_t>(index)] : 0;
}

std::optional<uint32_t> changedAttributeWord(uint32_t word, int16_t index, int16_t action)
{
    if (action != AttributeAction::Clear && action != AttributeAction::Set)
        return std::nullopt;
    // A word with bits beyond the five (normal, temporary, not indexed, a
    // link's reparse bit) is taken as its five bits alone.
    const int64_t a = word > kReducedMax ? word & kReducedMax : word;
    const int64_t d = (a & Directory) ? Directory : 0;
    const int64_t b = attributeIndexBit(index);
    int64_t n = a;
    if (action == AttributeAction::Clear &&
        contains(static_cast<uint32_t>(a), static_cast<uint32_t>(b)))
        n = a - b;
    else if (action == AttributeAction::Set &&
             !contains(static_cast<uint32_t>(a), static_cast<uint32_t>(b)))
        n = a + b;
    // The directory bit is never written, so a directory is written even
    // when the attribute was already as asked.
    n -= d;
    if (n == a)
        return std::nullopt;
    return static_cast<uint32_t>(n);
}

namespace {

// The write of `Attrib` whose first attempt gave `err`, with the retry box
// after every failure.
bool storeWithRetry(SelectionCommandView& view, const std::string& File, uint32_t Attrib,
                    bool FlagCheck, const platform::EntryIdentity& identity, int err)
{
    for (;;) {
        if (err == 0) {
            if (FlagCheck)
                view.ShowEntryAttributes(File);
            return true;
        }
        const int answer = view.MsgBox(retryPrompt(File),
                                       MsgBoxStyle::YesNoCancel + MsgBoxStyle::Critical +
                                           MsgBoxStyle::DefaultButton2,
                                       "Set Attribute Error");
        view.setMsgAnswer(answer);
        if (answer == MsgBoxAnswer::Cancel)
            view.setCancelAction(true);
        if (answer != MsgBoxAnswer::Yes)
            return false;
        err = platform::storeAttributes(File, Attrib, identity);
    }
}

} // namespace

bool SetAttribute(SelectionCommandView& view, const std::string& File, uint32_t Attrib,
                  bool FlagCheck, const platform::EntryIdentity& identity)
{
    return storeWithRetry(view, File, Attrib, FlagCheck, identity,
                          platform::storeAttributes(File, Attrib, identity));
}

bool ChangeAttribute(SelectionCommandView& view, const std::string& path, int16_t index,
                     int16_t action, bool quiet, const platform::EntryIdentity& identity)
{
    // One look at the entry reads it and writes the changed word; only a
    // failed write is tried again, by SetAttribute's own rule.
    const platform::AttributeChange change = platform::changeAttributes(
        path, [&](uint32_t word) { return changedAttributeWord(word, index, action); }, identity);
    if (change.queryError) {
        if (!quiet)
            view.MsgBox(SystemMessageText(change.queryError),
                        MsgBoxStyle::Critical + MsgBoxStyle::OKOnly, std::string(AppTitle));
        else
            view.noteFailure(path, errorFromErrno(change.queryError));
        return false;
    }
    return change.asked &&
           storeWithRetry(view, path, change.wanted, false, identity, change.storeError);
}

bool ResetAttributes(SelectionCommandView& view, const std::string& path,
                     const platform::EntryIdentity& identity)
{
    uint32_t word = 0;
    if (const int err = platform::queryAttributes(path, word, identity)) {
        view.MsgBox(displayText(path) + "\r\r" + SystemMessageText(err),
                    MsgBoxStyle::Exclamation + MsgBoxStyle::OKOnly, "Reset file attribute");
        return false;
    }
    bool result = false;
    const uint32_t protective[] = {ReadOnly, Hidden, System};
    for (int16_t index = 0; index < 3; ++index) {
        if (word & protective[index])
            result = ChangeAttribute(view, path, index, AttributeAction::Clear, false, identity);
    }
    return result;
}

CommandEnd RemoveAttributeFromSelection(SelectionCommandView& view, const SelectedRows& rows,
                                        int16_t index)
{
    const JournalFlush flushAtEnd;
    const platform::ScopedFolderReuse sameFolder;
    if (rows.SelCount() <= 1) {
        const int32_t current = rows.ListIndex();
        if (current >= 0 && rows.Selected(current))
            ChangeAttribute(view, rows.ListPath(current), index, AttributeAction::Clear, false,
                            rows.ListIdentity(current));
        return CommandEnd::Finished;
    }
    const int32_t n = rows.ListCount();
    ProgressCaption caption(view);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t percent = progressPercent(i + 1, n);
        if (rows.Selected(i))
            ChangeAttribute(view, rows.ListPath(i), index, AttributeAction::Clear, false,
                            rows.ListIdentity(i));
        caption.show(percent);
        if (const CommandEnd end = yieldAndCheckStop(view); end != CommandEnd::Finished)
            return end;
    }
    return CommandEnd::Finished;
}

CommandEnd changeSelectedRows(SelectionCommandView& view, const SelectedRows& rows, int16_t index,
                              int16_t action, bool offerCancel, bool& changed)
{
    const JournalFlush flushAtEnd;
    const platform::ScopedFolderReuse sameFolder;
    std::string path;
    const auto change = [&](int32_t row) {
        return stepWithRetry(view, path, offerCancel, [&] {
            path.clear();
            path = rows.ListPath(row);
            if (ChangeAttribute(view, path, index, action, true, rows.ListIdentity(row)))
                changed = true;
        });
    };

    if (rows.SelCount() <= 1) {
        const int32_t current = rows.ListIndex();
        if (current >= 0 && rows.Selected(current) && !change(current))
            return CommandEnd::Abandoned;
        return CommandEnd::Finished;
    }
    const int32_t n = rows.ListCount();
    ProgressCaption caption(view);
    for (int32_t j = 0; j < n; ++j) {
        if (rows.Selected(j)) {
            if (!change(j))
                return CommandEnd::Abandoned;
            caption.show(progressPercent(j + 1, n));
        }
        if (const CommandEnd end = yieldAndCheckStop(view); end != CommandEnd::Finished)
            return end;
    }
    return CommandEnd::Finished;
}

} // namespace umbrix
