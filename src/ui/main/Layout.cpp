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
    const int state = WindowState();
    if (state == 1 && s.LogErrors)
        hideLogViewer();
    // A window smaller than the margins allow keeps what was arranged before
    // the first size that no longer fits.
    if (!arrange())
        return;

    Placed<ResultListBox>& first = lstFoundFiles[0];
    if (state == 0 || state == 2) {
        if (first->ListCount() >= 1)
            PageSize =
                ListVisibleItems(*first.get(), static_cast<int32_t>(std::lrint(first.Height())));
        if (state == 0) {
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
        const float L = first.Left();
        const float T = first.Top();
        const float height = H - T - (fraAttrib.Height() + 150);
        const int total = TotalListbox();
        if (total <= 1)
            return first.setWidth(W - 2 * L) && first.setHeight(height);
        const float width = (W - static_cast<float>(total + 1) * L) / static_cast<float>(total);
        for (int i = 0; i < total; ++i) {
            Placed<ResultListBox>& box = lstFoundFiles[static_cast<std::size_t>(i)];
            if (!box.setWidth(width) || !box.setHeight(height))
                return false;
            if (i > 0) {
                const Placed<ResultListBox>& before =
                    lstFoundFiles[static_cast<std::size_t>(i - 1)];
                box.setLeft(before.Left() + before.Width() + L);
            }
        }
        return true;
    }
    if (!LayoutEnabled)
        return true;
    if (!filList.setWidth((W - 3 * filList.Left()) / 2) || !dirList.setWidth(filList.Width()))
        return false;
    dirList.setLeft(2 * filList.Left() + filList.Width());
    drvList.setLeft(dirList.Left());
    if (!drvList.setWidth(dirList.Width()))
        return false;
    txtSearchSpec.setLeft(dirList.Left());
    if (!txtSearchSpec.setWidth(dirList.Width()))
        return false;
    lblCriteria.setLeft(txtSearchSpec.Left() - lblCriteria.Width() - 90);
    setCurrentWidth(Width());
    return true;
}

} // namespace umbrix
