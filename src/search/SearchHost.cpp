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
    window_.setCaption(caption);
}

void SearchHost::DoEvents()
{
    umbrix::DoEvents();
}

} // namespace umbrix
