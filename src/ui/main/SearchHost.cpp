#include "ui/main/SearchHost.h"

#include "platform/Error.h"
#include "platform/VectorState.h"
#include "search/SearchCriteria.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchCommand.h"
#include "ui/services/Interaction.h"

namespace umbrix {

void SearchHost::beginSearch(const SearchTexts& texts)
{
    unseen_ = UnseenFailures();
    EnterSearchState(window_);
    minimized_ = window_.formState() == WindowState::Minimized;
    pacer_.startNow();
    try {
        window_.browser.filList->setPattern(texts.SearchPattern);
    } catch (const Error&) {
        // The file list keeps its pattern; the walk uses the derived one.
    }
    platform::clearUpperVectorState();
}

void SearchHost::showEverything()
{
    showPending();
    for (Placed<ResultListBox>& box : window_.lstFoundFiles)
        box->resultModel().commit();
}

void SearchHost::showResults()
{
    // The walk's last stretch and the laying out of the results view would
    // add up to one long wait for the window's events: a round comes between.
    pacer_.restart();
    DoEvents();
    if (!window_.state().Searching) {
        // Cancel came in that round, as it may in any of the walk's.
        endSearch();
        return;
    }
    showEverything();
    ShowSearchResults(window_);
}

void SearchHost::endSearch()
{
    showEverything();
    if (window_.state().LogErrors)
        hideLogViewer();
    LeaveSearchState(window_);
}

void SearchHost::FoundFileAdd(const std::string& folder, const std::string& name,
                              const platform::EntryIdentity& identity)
{
    // Opening a box lays out every full one again, which takes as long as a
    // stretch of the walk: a round comes first, so that the two never add up
    // to one long wait for the window's events.
    if (window_.lstFoundFiles.nextRowOpensBox())
        yieldNow();
    window_.lstFoundFiles.FoundFileAdd(folder, name, identity);
}

void SearchHost::RefreshResult(const std::string& folder, const std::string& name,
                               int32_t scannedCount)
{
    window_.RefreshResult(folder, name, scannedCount);
}

void SearchHost::Log(const std::string& logText, bool forceView)
{
    if (window_.logSink)
        window_.logSink(logText, forceView);
}

bool SearchHost::isMinimized() const
{
    return minimized_;
}

void SearchHost::setCaption(const std::string& caption)
{
    caption_.assign(caption);
    captionPending_ = true;
}

void SearchHost::showPending()
{
    window_.showProgress();
    if (captionPending_) {
        captionPending_ = false;
        window_.setCaption(caption_);
    }
}

void SearchHost::DoEvents()
{
    if (pacer_.due())
        yieldNow();
}

void SearchHost::yieldNow()
{
    pacer_.yield([this] {
        showPending();
        umbrix::DoEvents();
        minimized_ = window_.formState() == WindowState::Minimized;
    });
}

} // namespace umbrix
