#pragma once

#include "platform/EntryReach.h"
#include "platform/Error.h"

#include <cstdint>
#include <string>

namespace umbrix {

// What a command that works through a selection needs of the screen.  The
// command runs on the window's thread and yields through DoEvents; the
// handlers that run during a yield talk to it only through the flags read
// here.  Texts are UTF-8; paths in them are display text.
class SelectionCommandView {
public:
    virtual ~SelectionCommandView() = default;

    // A modal message box (codes of platform/MsgBoxCodes.h); returns the answer.
    virtual int MsgBox(const std::string& prompt, int buttons, const std::string& title) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The yield to pending window events.
    virtual void DoEvents() = 0;
    // The program is shutting down: every loop returns at once.
    virtual bool Closing() const = 0;
    // The stop request of a running multi-entry command.
    virtual bool CancelAction() const = 0;
    virtual void setCancelAction(bool value) = 0;
    // The last answer given to a retry box.
    virtual void setMsgAnswer(int32_t answer) = 0;
    // Shows one entry's attributes in the attribute panel.
    virtual void ShowEntryAttributes(const std::string& path) = 0;
    // A failure on `path` that the command goes past without a box; a view
    // with a log notes it there, one without drops it.
    virtual void noteFailure(const std::string& path, const Error& error)
    {
        static_cast<void>(path);
        static_cast<void>(error);
    }
};

// How a command over a selection ended.
enum class CommandEnd {
    Finished,  // every row done (a summary may end early once it knows all)
    Cancelled, // a Cancel answer, or CancelAction seen between rows
    Closing,   // the program is shutting down: nothing more is to be done
    Abandoned  // the user gave up in a failure box
};

// The tail of every row of a command: the window gets its pending events,
// and a stop asked for meanwhile ends the command.  Closing outranks
// Cancel; a command that stops only for the program's end passes
// `cancellable` false.  Finished means "go on".
CommandEnd yieldAndCheckStop(SelectionCommandView& view, bool cancellable = true);

// One result list box as a command over its selection reads it.  Rows are
// full paths as bytes.
class SelectedRows {
public:
    virtual ~SelectedRows() = default;
    virtual int32_t ListCount() const = 0;
    virtual bool Selected(int32_t row) const = 0;
    // "" outside the rows.
    virtual std::string ListPath(int32_t row) const = 0;
    // The entry the walk found at the row, which the commands check the
    // path still leads to; not known outside the rows.
    virtual platform::EntryIdentity ListIdentity(int32_t row) const = 0;
    virtual int32_t SelCount() const = 0;
    // The focused row, -1 for none.
    virtual int32_t ListIndex() const = 0;
};

// (done x 100 / total) rounded to the nearest whole number, halves to the
// even neighbour; 0 for an empty total.
int32_t progressPercent(int64_t done, int64_t total);

// The window caption while a command is at `percent`.
std::string processingCaption(int32_t percent);

// Tells a view the caption of a percentage only when it moved: a command
// over thousands of rows of a few microseconds each reaches each
// percentage many times.
class ProgressCaption {
public:
    explicit ProgressCaption(SelectionCommandView& view) : view_(view) {}
    void show(int32_t percent)
    {
        if (percent == shown_)
            return;
        shown_ = percent;
        view_.setCaption(processingCaption(percent));
    }

private:
    SelectionCommandView& view_;
    int32_t shown_ = -1;
};

} // namespace umbrix
