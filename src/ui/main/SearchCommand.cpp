#include "ui/main/SearchCommand.h"

#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "search/SearchRun.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/CompletionMessage.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchHost.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QScreen>
#include <cmath>

namespace umbrix {

namespace {

template <class... W> void setShown(bool shown, Placed<W>&... controls)
{
    (controls.setVisible(shown), ...);
}

// A counter label is as wide as its text with two spaces before and one
// after, in the window's font.
void setCounter(FrmSeek& w, Placed<QLabel>& label, const QString& text)
{
    label->setText(text);
    label.setWidth(w.TextWidth(QStringLiteral("  ") + text + QStringLiteral(" ")));
}

float screenWidth(const FrmSeek& w)
{
    const QScreen* screen = w.screen();
    const int pixels = screen ? screen->geometry().width() : 0;
    return static_cast<float>(pixels) * w.scale().x;
}

int32_t foundTotal(FrmSeek& w)
{
    if (w.lstFoundFiles.TotalListbox() < 2)
        return w.lstFoundFiles.box(0).ListCount();
    int32_t found = 0;
    for (int i = 0; i < w.lstFoundFiles.TotalListbox(); ++i)
        found += w.lstFoundFiles.box(i).ListCount();
    return found;
}

// The counters in one row: found, scanned, then the path line when shown.
void placeCounters(FrmSeek& w)
{
    w.lblCount.setLeft(w.lblFound.Left() + w.lblFound.Width() + 120);
    w.lblScanned.setLeft(w.lblCount.Left() + w.lblCount.Width() + 240);
    w.lblCountx.setLeft(w.lblScanned.Left() + w.lblScanned.Width() + 120);
    w.lblScanned.setTop(w.lblFound.Top());
    w.lblCountx.setTop(w.lblCount.Top());
    w.txtTip.setLeft(w.lblCountx.Left() + w.lblCountx.Width() + 120);
    w.txtTip.setTop(w.lblFound.Top());
    w.txtTip.setWidth(std::max(0.0f, w.ScaleWidth() - w.txtTip.Left()));
}

void layOutCounters(FrmSeek& w, int32_t found, bool withTip)
{
    w.setAutoSizeCaption(w.lblScanned, QStringLiteral("Scanned Files:"));
    setCounter(w, w.lblCountx, w.lblCount->text());
    w.setAutoSizeCaption(w.lblFound, QStringLiteral("Found Files:"));
    setCounter(w, w.lblCount, QString::number(found));
    placeCounters(w);
    setShown(true, w.lblScanned, w.lblCountx);
    if (withTip) {
        w.txtTip.setVisible(true);
        w.txtTip->clear();
    }
}

// The browser's lists as the disk is now: a delete among the results may
// have taken entries of them, or the open folder itself.
void rereadBrowserLists(FrmSeek& w)
{
    w.browser.dirList->openNearest(w.state().CurrentPath.empty() ? w.browser.dirList->Path()
                                                         : w.state().CurrentPath);
    try {
        w.browser.filList->setPath(w.browser.dirList->Path());
    } catch (const Error&) {
    }
}

} // namespace

void ShowFoundCount(FrmSeek& w)
{
    setCounter(w, w.lblCount, QString::number(foundTotal(w)));
    placeCounters(w);
}

void ShowSearchResults(FrmSeek& w)
{
    AppState& s = w.state();
    EnableSystemMenuItem(&w, SystemCommand::About, true);
    EnableSystemMenuItem(&w, SystemCommand::CheckShortcuts, true);
    if (w.formState() == WindowState::Minimized) {
        w.setFormState(WindowState::Normal);
        w.setCaption(std::string(AppTitle));
    }
    try {
        w.browser.filList->setPath(w.browser.dirList->Path());
    } catch (const Error&) {
        // The folder went away during the search; the file list keeps what it showed.
    }
    w.setView(FrmSeek::View::Results);
    w.cmdSearch->setText(QStringLiteral("Reset"));
    w.cmdExit->setText(QStringLiteral("E&xit"));
    w.cmdSearch.setVisible(true);

    Placed<ResultListBox>& first = w.lstFoundFiles[0];
    w.fraAttrib.setTop(first.Top() + first.Height() + 120);
    w.fraAttrib.setLeft(first.Left());
    w.lblDir.setVisible(false);

    const int32_t found = foundTotal(w);
    if (found >= 1) {
        if (w.lstFoundFiles.TotalListbox() >= 2) {
            for (int i = 0; i < w.lstFoundFiles.TotalListbox(); ++i)
                w.lstFoundFiles.box(i).setListIndex(0);
        }
        w.cmdExit.setLeft(w.ScaleWidth() - w.cmdExit.Width() - first.Left());
        w.cmdSearch.setLeft(w.cmdExit.Left() - w.cmdSearch.Width() - 90);
        w.fraAttrib.setVisible(true);
        layOutCounters(w, found, true);
        w.lstFoundFiles.box(w.lstFoundFiles.CurrentIndex()).setFocus();
    } else {
        layOutCounters(w, 0, false);
        const float free = w.ScaleWidth() - w.cmdSearch.Width() - w.cmdExit.Width() - 90;
        w.cmdSearch.setLeft(std::trunc(free / 2));
        w.cmdExit.setLeft(w.cmdSearch.Left() + w.cmdSearch.Width() + 90);
        w.cmdSearch->setFocus();
    }

    w.Form_Resize();

    if (s.Searching && !s.CancelSearch) {
        Beep();
        s.Searching = false;
        showCompletion(&w, QStringLiteral("File scanning completed."), MsgBoxStyle::Information,
                       qs(AppTitle), w.searchHost().unseenFailures());
    }
    s.CancelSearch = false;
    s.Searching = false;
}

void EnterSearchState(FrmSeek& w)
{
    // The About window's modal loop would run inside the walk's yields.
    EnableSystemMenuItem(&w, SystemCommand::About, false);
    EnableSystemMenuItem(&w, SystemCommand::CheckShortcuts, false);
    w.setView(FrmSeek::View::Searching);
    w.LayoutEnabled = false;
    if (w.formState() == WindowState::Maximized)
        w.setFormState(WindowState::Normal);
    w.setHeight(5050);
    const float screen = screenWidth(w);
    w.setWidth(screen * 0.85f);
    w.setLeft(static_cast<float>(std::lrint(screen - w.Width()) / 2));

    setShown(false, w.browser.txtSearchSpec, w.browser.drvList, w.browser.dirList,
             w.browser.filList, w.browser.lblCriteria, w.cmdSearch, w.browser.fraOptions);

    w.lblCount->setText(QStringLiteral("0"));
    setShown(true, w.lblFound, w.lblCount, w.lblDir);
    w.lblFound.setTop(180);
    w.lblFound.setLeft(120);
    w.setAutoSizeCaption(w.lblFound, QStringLiteral("Scanning File:"));
    w.lblCount.setTop(150);
    w.lblCount.setLeft(w.lblFound.Left() + w.lblFound.Width() + 120);
    w.lblDir.setTop(180);
    w.lblDir.setLeft(w.lblCount.Left() + w.lblCount.Width() + 120);
    w.lblDir->clear();

    w.cmdExit->setText(QStringLiteral("Cancel"));
    w.cmdExit.setLeft(w.ScaleWidth() - w.cmdExit.Width());
    w.cmdExit.setTop(w.ScaleHeight() - w.cmdExit.Height() - 180);
    w.cmdSearch.setTop(w.cmdExit.Top());

    Placed<ResultListBox>& first = w.lstFoundFiles[0];
    first.setLeft(w.lblFound.Left());
    first.setTop(480);
    first.setWidth(w.ScaleWidth() - 2 * first.Left());
    w.lstFoundFiles[static_cast<std::size_t>(w.lstFoundFiles.CurrentIndex())].setVisible(true);
    w.LayoutEnabled = true;
}

void LeaveSearchState(FrmSeek& w)
{
    AppState& s = w.state();
    EnableSystemMenuItem(&w, SystemCommand::About, true);
    EnableSystemMenuItem(&w, SystemCommand::CheckShortcuts, true);
    w.setView(FrmSeek::View::Browser);
    hideLogViewer();
    w.setCaption(std::string(AppTitle));
    w.setCancelAction(true);

    setShown(false, w.fraAttrib, w.lblCount, w.lblCountx, w.lblDir, w.lblFound, w.lblScanned,
             w.txtTip);
    setShown(true, w.browser.txtSearchSpec, w.browser.drvList, w.browser.dirList, w.browser.filList,
             w.browser.lblCriteria, w.cmdSearch, w.browser.fraOptions);

    w.cmdExit->setText(QStringLiteral("E&xit"));
    w.cmdSearch->setText(QStringLiteral("Search"));
    w.cmdSearch.setLeft(4590);
    w.cmdSearch.setTop(2970);
    w.cmdExit.setLeft(4590);
    w.cmdExit.setTop(3480);

    for (Placed<ResultListBox>& box : w.lstFoundFiles) {
        box->Clear();
        box.setVisible(false);
    }
    w.lstFoundFiles.setCurrentIndex(0);
    w.lstFoundFiles.setTotalListbox(1);

    s.Busy = true;
    if (w.formState() == WindowState::Maximized)
        w.setFormState(WindowState::Normal);
    w.setWidth(w.CurrentWidth());
    w.setHeight(4600);
    s.Busy = false;

    rereadBrowserLists(w);
}

void runSearchCommand(FrmSeek& w)
{
    AppState& s = w.state();
    if (w.view() == FrmSeek::View::Results) {
        LeaveSearchState(w);
        return;
    }
    if (s.DirChanged == 1) {
        try {
            w.browser.dirList->setPath(w.browser.dirList->List(w.browser.dirList->ListIndex()));
        } catch (const Error& e) {
            MsgBox(qs(e.description), MsgBoxStyle::Exclamation, qs(AppTitle), &w);
        }
        s.DirChanged = 0;
        return;
    }
    runSearch(w.searchHost(), s, s, w.browser.dirList->Path(),
              w.browser.txtSearchSpec->text().toStdString());
}

} // namespace umbrix
