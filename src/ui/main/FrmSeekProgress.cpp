// The walk's progress in the counter label and the path line.

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <algorithm>
#include <new>

namespace umbrix {

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
    lblCount.setWidth(
        std::max(lblCount.Width(), TextWidth(QStringLiteral("  ") + count + QStringLiteral(" "))));
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
