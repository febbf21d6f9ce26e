// The main window's arrangement in its browser and results views.

#include "app/AppState.h"
#include "log/LogViewer.h"
#include "log/LogViewerInstance.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/ListBoxOperations.h"

#include <cmath>

namespace umbrix {

void FrmSeek::Form_Resize()
{
    const AppState& s = app();
    if (s.Busy)
        return;
    try {
        const int state = WindowState();
        if (state == 1 && s.LogErrors)
            hideLogViewer();
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
            const int total = TotalListbox();
            if (total > 1) {
                for (int i = 0; i < total; ++i) {
                    Placed<ResultListBox>& box = lstFoundFiles[static_cast<std::size_t>(i)];
                    box.setWidth((W - static_cast<float>(total + 1) * L) /
                                 static_cast<float>(total));
                    box.setHeight(H - T - (fraAttrib.Height() + 150));
                    if (i > 0) {
                        const Placed<ResultListBox>& before =
                            lstFoundFiles[static_cast<std::size_t>(i - 1)];
                        box.setLeft(before.Left() + before.Width() + L);
                    }
                }
            } else {
                first.setWidth(W - 2 * L);
                first.setHeight(H - T - (fraAttrib.Height() + 150));
            }
        } else if (LayoutEnabled) {
            filList.setWidth((W - 3 * filList.Left()) / 2);
            dirList.setWidth(filList.Width());
            dirList.setLeft(2 * filList.Left() + filList.Width());
            drvList.setLeft(dirList.Left());
            drvList.setWidth(dirList.Width());
            txtSearchSpec.setLeft(dirList.Left());
            txtSearchSpec.setWidth(dirList.Width());
            lblCriteria.setLeft(txtSearchSpec.Left() - lblCriteria.Width() - 90);
            setCurrentWidth(Width());
        }

        if (state == 0 || state == 2) {
            if (first->ListCount() >= 1)
                PageSize = ListVisibleItems(*first.get(),
                                            static_cast<int32_t>(std::lrint(first.Height())));
            if (state == 0) {
                setCaption(s.AppTitle);
                LogViewer* viewer = logViewer();
                if (s.LogErrors && viewer && !viewer->isEmpty())
                    viewer->View();
            }
        }
    } catch (const Error&) {
        // A window smaller than the margins allow keeps what was arranged so far.
    }
}

} // namespace umbrix
