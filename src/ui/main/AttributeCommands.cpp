// The attribute panel and the attribute commands: the window's side.  The
// work over the rows is fileops/AttributeChange and search/SelectionSummary.

#include "fileops/AttributeChange.h"
#include "platform/AppTitle.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/PathText.h"
#include "search/SelectionSummary.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/CompletionMessage.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <QApplication>
#include <cstdlib>

namespace umbrix {

namespace {

void paintCaption(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
}

constexpr QRgb kFocusYellow = qRgb(255, 255, 128);

// Counts the commands over the result list's selection that are running, so
// that the window starts no summary of a selection in the middle of one.
class AttributeCommandScope {
public:
    explicit AttributeCommandScope(int& running) : running_(running) { ++running_; }
    ~AttributeCommandScope() { --running_; }
    AttributeCommandScope(const AttributeCommandScope&) = delete;
    AttributeCommandScope& operator=(const AttributeCommandScope&) = delete;

private:
    int& running_;
};

} // namespace

int FrmSeek::attributeBoxValue(int i) const
{
    switch (chkAttr[static_cast<std::size_t>(i)]->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void FrmSeek::setAttributeBoxValue(int i, int value)
{
    const Qt::CheckState state = value == 1   ? Qt::Checked
                                 : value == 2 ? Qt::PartiallyChecked
                                              : Qt::Unchecked;
    chkAttr[static_cast<std::size_t>(i)]->setCheckState(state);
}

std::array<ClickLabel*, 4> FrmSeek::attributeCaptions() const
{
    return {lblReadOnly.get(), lblHidden.get(), lblSystem.get(), lblArchive.get()};
}

void FrmSeek::connectAttributeHandlers()
{
    for (int16_t i = 0; i < static_cast<int16_t>(chkAttr.size()); ++i)
        connect(chkAttr[static_cast<std::size_t>(i)].get(), &QCheckBox::clicked, this,
                [this, i] { chkAttr_Click(i); });
    connect(lblReadOnly.get(), &ClickLabel::Click, this, &FrmSeek::lblReadOnly_Click);
    connect(lblHidden.get(), &ClickLabel::Click, this, &FrmSeek::lblHidden_Click);
    connect(lblSystem.get(), &ClickLabel::Click, this, &FrmSeek::lblSystem_Click);
    connect(lblArchive.get(), &ClickLabel::Click, this, &FrmSeek::lblArchive_Click);
    connect(mnuReadOnly, &QAction::triggered, this, &FrmSeek::mnuReadOnly_Click);
    connect(mnuHidden, &QAction::triggered, this, &FrmSeek::mnuHidden_Click);
    connect(mnuSystem, &QAction::triggered, this, &FrmSeek::mnuSystem_Click);
    connect(mnuArchive, &QAction::triggered, this, &FrmSeek::mnuArchive_Click);
}

bool FrmSeek::ShowEntryAttributes(const std::string& path)
{
    state_.Busy = true;
    try {
        bool reparsePoint = false;
        const auto a = static_cast<uint32_t>(GetEntryAttributes(path, false, reparsePoint));
        QAction* removeItems[4] = {mnuReadOnly, mnuHidden, mnuSystem, mnuArchive};
        for (int16_t i = 0; i < 4; ++i) {
            const bool has = (a & attributeIndexBit(i)) != 0;
            removeItems[i]->setEnabled(has);
            setAttributeBoxValue(i, has ? 1 : 0);
        }
        const bool directory = (a & platform::Attr::Directory) != 0;
        setAttributeBoxValue(4, directory ? 1 : 0);
        mnuDir->setChecked(directory);
        state_.Busy = false;
        return true;
    } catch (const Error& e) {
        MsgBox(QStringLiteral("Unable to access to the file or directory ''") +
                   qs(displayText(path)) + QStringLiteral("''\r\r") + qs(e.description),
               MsgBoxStyle::Critical + MsgBoxStyle::OKOnly, qs(AppTitle), this);
        mnuDir->setChecked(false);
        state_.Busy = false;
        ClearAttributeBoxes();
        return false;
    }
}

void FrmSeek::ClearAttributeBoxes()
{
    for (int i = 0; i < static_cast<int>(chkAttr.size()); ++i)
        setAttributeBoxValue(i, 0);
}

void FrmSeek::ShowSelectionAttributes(int16_t L)
{
    const AttributeCommandScope running(attributeCommands_);
    state_.Busy = true;
    AttributeHost& host = *attributeHost_;
    host.begin();
    const ResultBoxRows rows(resultBox(L));
    SelectionSummary summary;
    const SummaryEnd end = summarizeSelection(host, rows, summary);
    if (end == SummaryEnd::Closing)
        return;
    if (end == SummaryEnd::Complete && !CancelAction()) {
        for (int a = 0; a < static_cast<int>(chkAttr.size()); ++a)
            setAttributeBoxValue(a, std::abs(summary.states()[static_cast<std::size_t>(a)]));
    }
    host.end();
    setCaption(std::string(AppTitle));
    state_.Busy = false;
    setCancelAction(false);
}

bool FrmSeek::SetAttribute(const std::string& File, int32_t Attrib, bool FlagCheck)
{
    return umbrix::SetAttribute(*attributeHost_, File, static_cast<uint32_t>(Attrib), FlagCheck);
}

void FrmSeek::RemoveAttributeFromSelection(int16_t index)
{
    const AttributeCommandScope running(attributeCommands_);
    const UnseenFailures unseen;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AttributeHost& host = *attributeHost_;
    host.begin();
    const ResultBoxRows rows(resultBox(CurrentIndex()));
    if (umbrix::RemoveAttributeFromSelection(host, rows, index) == SelectionEnd::Closing)
        return;
    host.end();
    setCaption(std::string(AppTitle));
    setCancelAction(false);
    {
        const BusyScope busy(state_);
        setAttributeBoxValue(index, 0);
    }
    QApplication::restoreOverrideCursor();
    showCompletion(this, {}, 0, qs(AppTitle), unseen);
}

void FrmSeek::chkAttr_Click(int16_t Index)
{
    if (Index < 0 || Index >= static_cast<int16_t>(chkAttr.size()))
        return;
    if (!chkAttr[static_cast<std::size_t>(Index)]->isVisible() || state_.Busy)
        return;
    ResultListBox& L = resultBox(CurrentIndex());
    if (L.SelCount() == 0 || L.ListIndex() == -1) {
        const BusyScope busy(state_);
        Beep();
        setAttributeBoxValue(Index, 0);
        return;
    }

    const AttributeCommandScope running(attributeCommands_);
    const UnseenFailures unseen;
    const bool checked = attributeBoxValue(Index) == 1;
    const int16_t action = checked ? AttributeAction::Set : AttributeAction::Clear;
    const int restore = checked ? 0 : 1;
    const bool offerCancel = SourceList == SourceKind::Listbox;
    bool changed = false;
    AttributeHost& host = *attributeHost_;
    host.begin();

    SelectionEnd end = SelectionEnd::Finished;
    if (TotalListbox() > 1) {
        for (int k = 0; k < TotalListbox(); ++k) {
            const ResultBoxRows rows(resultBox(k));
            end = changeSelectedRows(host, rows, Index, action, offerCancel, changed);
            if (end != SelectionEnd::Finished)
                break;
            host.DoEvents();
            if (state_.Closing)
                return;
            if (CancelAction()) {
                end = SelectionEnd::Cancelled;
                break;
            }
        }
    } else {
        const ResultBoxRows rows(L);
        end = changeSelectedRows(host, rows, Index, action, offerCancel, changed);
    }

    if (end == SelectionEnd::Closing || state_.Closing)
        return;
    if (end == SelectionEnd::Abandoned) {
        const BusyScope busy(state_);
        setAttributeBoxValue(Index, restore);
    } else if (end == SelectionEnd::Finished && !CancelAction() && !changed) {
        // Nothing was written: a box over several rows cannot say more than
        // "some"; over one row it goes back to what it showed.
        const BusyScope busy(state_);
        setAttributeBoxValue(Index, L.SelCount() > 1 ? 2 : restore);
    }
    host.end();
    setCaption(std::string(AppTitle));
    setCancelAction(false);
    showCompletion(this, {}, 0, qs(AppTitle), unseen);
}

void FrmSeek::chkAttr_GotFocus(int16_t Index)
{
    if (Index > 3)
        return;
    const std::array<ClickLabel*, 4> captions = attributeCaptions();
    for (int16_t i = 0; i < 4; ++i)
        paintCaption(captions[static_cast<std::size_t>(i)],
                     i == Index ? QColor(kFocusYellow) : palette().color(QPalette::Button));
}

void FrmSeek::chkAttr_LostFocus(int16_t)
{
    for (ClickLabel* caption : attributeCaptions())
        paintCaption(caption, palette().color(QPalette::Button));
}

void FrmSeek::toggleAttributeByLabel(int16_t i)
{
    setAttributeBoxValue(i, attributeBoxValue(i) == 1 ? 0 : 1);
    chkAttr_Click(i);
}

void FrmSeek::lblReadOnly_Click()
{
    toggleAttributeByLabel(0);
}

void FrmSeek::lblHidden_Click()
{
    toggleAttributeByLabel(1);
}

void FrmSeek::lblSystem_Click()
{
    toggleAttributeByLabel(2);
}

void FrmSeek::lblArchive_Click()
{
    toggleAttributeByLabel(3);
}

void FrmSeek::removeAttributeFromSource(int16_t index, const char* title)
{
    if (SourceList == SourceKind::Listbox) {
        RemoveAttributeFromSelection(index);
        return;
    }
    std::string path;
    if (SourceList == SourceKind::Dirbox) {
        path = dirList->List(dirList->ListIndex());
    } else if (SourceList == SourceKind::Filebox) {
        path = filList->Path();
        if (path.empty() || path.back() != '/')
            path += '/';
        path += filList->List(filList->ListIndex());
    }
    try {
        uint32_t word = 0;
        if (const int err = platform::queryAttributes(path, word))
            throwErrno(err);
        // Only the attribute named goes: one the entry does not have is not
        // taken from the others.
        const uint32_t cleared = word & platform::Attr::Writable & ~attributeIndexBit(index);
        if (const int err = platform::storeAttributes(path, cleared))
            throwErrno(err);
        ShowEntryAttributes(path);
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Exclamation + MsgBoxStyle::OKOnly,
               QString::fromLatin1(title), this);
    }
}

void FrmSeek::mnuReadOnly_Click()
{
    removeAttributeFromSource(0, "Read-only attribute");
}

void FrmSeek::mnuHidden_Click()
{
    removeAttributeFromSource(1, "Hidden attribute");
}

void FrmSeek::mnuSystem_Click()
{
    removeAttributeFromSource(2, "System attribute");
}

void FrmSeek::mnuArchive_Click()
{
    removeAttributeFromSource(3, "Archive attribute");
}

} // namespace umbrix
