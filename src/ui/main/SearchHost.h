#pragma once

#include "search/SearchView.h"
#include "ui/main/CompletionMessage.h"
#include "ui/main/YieldPacer.h"

#include <string>

namespace umbrix {

class FrmSeek;

// The main window as a search sees it.
class SearchHost : public SearchView {
public:
    explicit SearchHost(FrmSeek& window) : window_(window) {}

    void beginSearch(const SearchTexts& texts) override;
    void FoundFileAdd(const std::string& folder, const std::string& name,
                      const platform::EntryIdentity& identity) override;
    void RefreshResult(const std::string& folder, const std::string& name,
                       int32_t scannedCount) override;
    void Log(const std::string& logText, bool forceView) override;
    bool isMinimized() const override;
    void setCaption(const std::string& caption) override;
    // Yields to the window's events when the last yield is long enough
    // ago.  The walk asks several times per entry; handling the events and
    // repainting the window that often would cost far more than the walk.
    // The progress and the caption reported since are shown first.
    void DoEvents() override;
    void showResults() override;
    void endSearch() override;
    // Shows what was reported since the last yield.
    void showPending();
    // What the search logged that nobody has seen.
    const UnseenFailures& unseenFailures() const { return unseen_; }

private:
    // Shows what is pending and handles the window's events, now.
    void yieldNow();
    // Every reported row and the last progress on the screen.
    void showEverything();

    FrmSeek& window_;
    YieldPacer pacer_;
    std::string caption_;
    bool captionPending_ = false;
    // The window is minimized and restored only by its events, so the walk,
    // which asks once per entry, is told what the last round left.
    bool minimized_ = false;
    UnseenFailures unseen_;
};

} // namespace umbrix
