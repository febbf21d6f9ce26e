#include "search/SearchHost.h"

#include "app/Interaction.h"
#include "ui/main/FrmSeek.h"

namespace umbrix {

void SearchHost::FoundFileAdd(const std::string& folder, const std::string& name)
{
    window_.FoundFileAdd(folder, name);
}

void SearchHost::RefreshResult(const std::string& folder, const std::string& name)
{
    window_.RefreshResult(folder, name);
}

void SearchHost::Log(const std::string& logText, bool forceView)
{
    if (window_.logSink)
        window_.logSink(logText, forceView);
}

bool SearchHost::isMinimized() const
{
    return window_.WindowState() == 1;
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
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ < kYieldInterval)
        return;
    showPending();
    umbrix::DoEvents();
    lastYield_ = std::chrono::steady_clock::now();
}

} // namespace umbrix
