#pragma once

#include "fileops/SelectionCommand.h"
#include "ui/main/YieldPacer.h"

#include <string>
#include <vector>

namespace umbrix {

class FrmSeek;
class ResultListBox;

// The main window as the attribute commands and the selection summary see
// it.  It yields at the search's pace: a command asks after every row, and
// handling the window's events that often would cost far more than the rows.
class AttributeHost : public SelectionCommandView {
public:
    explicit AttributeHost(FrmSeek& window) : window_(window) {}

    int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
    // Kept until the next yield, when a person can see it.
    void setCaption(const std::string& caption) override;
    void DoEvents() override;
    bool Closing() const override;
    bool CancelAction() const override;
    void setCancelAction(bool value) override;
    void setMsgAnswer(int32_t answer) override;
    void ShowEntryAttributes(const std::string& path) override;
    // Into the on-screen log, in the search's form.
    void noteFailure(const std::string& path, const Error& error) override;

    // A command begins: its first row yields at once.
    void begin();
    // A command ends: a progress caption not yet shown is dropped.
    void end();

private:
    FrmSeek& window_;
    YieldPacer pacer_;
    std::string caption_;
    bool captionPending_ = false;
};

// One result list box with the selection it had when a command began: a
// person who selects other rows while the command runs does not change what
// it works on.  The rows are read as they are; a row that went away reads "".
class ResultBoxRows : public SelectedRows {
public:
    explicit ResultBoxRows(ResultListBox& box);

    int32_t ListCount() const override { return count_; }
    bool Selected(int32_t row) const override;
    std::string ListPath(int32_t row) const override;
    platform::EntryIdentity ListIdentity(int32_t row) const override;
    int32_t SelCount() const override { return selCount_; }
    int32_t ListIndex() const override { return listIndex_; }

private:
    ResultListBox& box_;
    std::vector<bool> selected_;
    int32_t count_ = 0;
    int32_t selCount_ = 0;
    int32_t listIndex_ = -1;
};

} // namespace umbrix
