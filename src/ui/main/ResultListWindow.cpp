// The window's side of the result list: filling the boxes, adding a box when
// one is full, and the progress labels.

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <algorithm>
#include <new>

namespace umbrix {

void FrmSeek::FoundFileAdd(const std::string& Folder, const std::string& Name,
                           const platform::EntryIdentity& identity)
{
    try {
        if (nextRowOpensBox())
            addResultListBox();
        try {
            resultBox(CurrentIndex()).AddItem(Folder, Name, identity);
        } catch (const Error& e) {
            if (e.number == ErrorNumber::InvalidArgument &&
                resultBox(CurrentIndex()).ListCount() > ResultBoxRefusalRows) {
                addResultListBox();
                resultBox(CurrentIndex()).AddItem(Folder, Name, identity);
                return;
            }
            MsgBox(qs(e.description), MsgBoxStyle::Critical, qs(AppTitle), this);
        }
    } catch (const std::bad_alloc&) {
        // A message per further row would bury the window; the walk stops
        // instead, as it does for any failure to keep what it found.
        throw Error{ErrorNumber::OutOfMemory, "Out of memory"};
    }
}

bool FrmSeek::nextRowOpensBox()
{
    return resultBox(CurrentIndex()).ListCount() > ResultBoxFullRows;
}

void FrmSeek::addResultListBox()
{
    const int k = CurrentIndex();
    // The full box gets no more rows: it shows all of them and is laid out
    // once, now, rather than in batches for rounds to come.
    resultBox(k).resultModel().commit();
    const float m = lstFoundFiles[0].Left();
    // k + 2 equal columns with k + 3 margins fill the window.  A window too
    // narrow for them gets columns of no width rather than no new box.
    const float w =
        std::max(0.0f, (ScaleWidth() - static_cast<float>(k + 3) * m) / static_cast<float>(k + 2));

    for (int j = 0; j <= k; ++j) {
        if (WindowState() == 1)
            setWindowStateValue(0);
        Placed<ResultListBox>& box = lstFoundFiles[static_cast<std::size_t>(j)];
        box.setWidth(w);
        if (j > 0) {
            const Placed<ResultListBox>& before = lstFoundFiles[static_cast<std::size_t>(j - 1)];
            box.setLeft(before.Left() + before.Width() + m);
        }
    }

    setCurrentIndex(static_cast<int16_t>(k + 1));
    const float left = lstFoundFiles[0].Left();
    const float top = lstFoundFiles[0].Top();
    const float height = lstFoundFiles[0].Height();
    if (lstFoundFiles.size() <= static_cast<std::size_t>(k + 1))
        lstFoundFiles.push_back(makeResultListBox(left, top, w, height));
    setTotalListbox(static_cast<int16_t>(TotalListbox() + 1));

    const Placed<ResultListBox>& before = lstFoundFiles[static_cast<std::size_t>(k)];
    Placed<ResultListBox>& added = lstFoundFiles[static_cast<std::size_t>(k + 1)];
    added.setHeight(height);
    added.setWidth(w);
    added.setLeft(before.Left() + before.Width() + m);
    added.setTop(before.Top());
    added.setVisible(true);
}

void FrmSeek::RefreshResult(const std::string& Folder, const std::string& Name,
                            int32_t scannedCount)
{
    // The walk reports every entry; the labels are brought up to date before
    // the window next handles its events, which is when a person can see them.
    progressCount_ = scannedCount;
    progressFolder_.assign(Folder);
    progressName_.assign(Name);
    progressPending_ = true;
}

void FrmSeek::showProgress()
{
    if (!progressPending_)
        return;
    progressPending_ = false;
    const QString count = QString::number(progressCount_);
    lblCount->setText(count);
    // A count that outgrows its box widens it, so no digit is ever cut.
    lblCount.setWidth(std::max(lblCount.Width(), TextWidth(QStringLiteral("  ") + count + QStringLiteral(" "))));
    lblCount.setLeft(lblFound.Left() + lblFound.Width() + 120);
    lblDir.setLeft(lblCount.Left() + lblCount.Width() + 120);
    // The path runs to the window's edge, however long it is.
    lblDir.setWidth(std::max(0.0f, ScaleWidth() - lblDir.Left()));

    if (displaysVerbatim(progressFolder_) && displaysVerbatim(progressName_)) {
        lblDir->setText(qs(progressFolder_) + qs(progressName_));
    } else {
        std::string path = progressFolder_;
        path += progressName_;
        lblDir->setText(qs(displayText(path)));
    }
}

} // namespace umbrix
