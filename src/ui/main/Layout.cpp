// The main window's arrangement in its browser and results views.

#include "platform/AppTitle.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/ListBoxOperations.h"
#include "ui/main/LogViewer.h"
#include "ui/main/LogViewerInstance.h"

#include <cmath>

namespace umbrix {

void FrmSeek::Form_Resize()
{
    const AppState& s = state_;
    if (s.Busy)
        return;
    const WindowState state = formState();
    if (state == WindowState::Minimized && s.LogErrors)
        hideLogViewer();
    // A window smaller than the margins allow keeps what was arranged before
    // the first size that no longer fits.
    if (!arrange())
        return;

    Placed<ResultListBox>& first = lstFoundFiles[0];
    if (state != WindowState::Minimized) {
        if (first->ListCount() >= 1)
            lstFoundFiles.PageSize =
                ListVisibleItems(*first.get(), static_cast<int32_t>(std::lrint(first.Height())));
        if (state == WindowState::Normal) {
            setCaption(std::string(AppTitle));
            LogViewer* viewer = logViewer();
            if (s.LogErrors && viewer && !viewer->isEmpty())
                viewer->View();
        }
    }
}

bool FrmSeek::arrange()
{
    const float W = ScaleWidth();
    const float H = ScaleHeight();
    Placed<ResultListBox>& first = lstFoundFiles[0];

    if (first.Visible()) {
        fraAttrib.setTop(H - fraAttrib.Height() - 150);
        cmdExit.setTop(H - cmdExit.Height() - 150);
        cmdExit.setLeft(W - cmdExit.Width() - 150);
        cmdSearch.setTop(cmdExit.Top());
        cmdSearch.setLeft(cmdExit.Left() - cmdSearch.Width() - 90);
        return lstFoundFiles.fit(W, H - first.Top() - (fraAttrib.Height() + 150));
    }
    if (!LayoutEnabled)
        return true;
    if (!browser.fit(W))
        return false;
    setCurrentWidth(Width());
    return true;
}

} // namespace umbrix
