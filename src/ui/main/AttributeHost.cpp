#include "ui/main/AttributeHost.h"

#include "platform/FileHelpers.h"
#include "search/ScanFailureReport.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QItemSelectionModel>

namespace umbrix {

int AttributeHost::MsgBox(const std::string& prompt, int buttons, const std::string& title)
{
    return umbrix::MsgBox(qs(prompt), buttons, qs(title), &window_);
}

void AttributeHost::setCaption(const std::string& caption)
{
    caption_.assign(caption);
    captionPending_ = true;
}

void AttributeHost::DoEvents()
{
    if (!pacer_.due())
        return;
    pacer_.yield([this] {
        if (captionPending_) {
            captionPending_ = false;
            window_.setCaption(caption_);
        }
        umbrix::DoEvents();
    });
}

bool AttributeHost::Closing() const
{
    return window_.state().Closing;
}

bool AttributeHost::CancelAction() const
{
    return window_.CancelAction();
}

void AttributeHost::setCancelAction(bool value)
{
    window_.setCancelAction(value);
}

void AttributeHost::setMsgAnswer(int32_t answer)
{
    window_.state().MsgAnswer = answer;
}

void AttributeHost::ShowEntryAttributes(const std::string& path)
{
    window_.fraAttrib->ShowEntryAttributes(path);
}

void AttributeHost::noteFailure(const std::string& path, const Error& error)
{
    logToViewer(scanFailureReport(FolderOfPath(path), FileNameOfPath(path), error), false);
}

void AttributeHost::begin()
{
    pacer_.restart();
    captionPending_ = false;
}

void AttributeHost::end()
{
    captionPending_ = false;
}

ResultBoxRows::ResultBoxRows(ResultListBox& box) : box_(box)
{
    box.resultModel().commit();
    count_ = box.ListCount();
    listIndex_ = box.ListIndex();
    selected_.assign(static_cast<std::size_t>(count_), false);
    // From the selection's ranges: asking the view row by row costs a search
    // through every range for each row.
    for (const QItemSelectionRange& range : box.selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (row >= 0 && row < count_ && !selected_[static_cast<std::size_t>(row)]) {
                selected_[static_cast<std::size_t>(row)] = true;
                ++selCount_;
            }
        }
    }
}

bool ResultBoxRows::Selected(int32_t row) const
{
    return row >= 0 && row < count_ && selected_[static_cast<std::size_t>(row)];
}

std::string ResultBoxRows::ListPath(int32_t row) const
{
    return box_.ListPath(row);
}

platform::EntryIdentity ResultBoxRows::ListIdentity(int32_t row) const
{
    return box_.ListIdentity(row);
}

} // namespace umbrix
