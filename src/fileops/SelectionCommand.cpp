#include "fileops/SelectionCommand.h"

#include "platform/AppTitle.h"

namespace umbrix {

int32_t progressPercent(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    const int64_t scaled = done * 100;
    int64_t percent = scaled / total;
    const int64_t twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && percent % 2 != 0))
        ++percent;
    return static_cast<int32_t>(percent);
}

CommandEnd yieldAndCheckStop(SelectionCommandView& view, bool cancellable)
{
    view.DoEvents();
    if (view.Closing())
        return CommandEnd::Closing;
    if (cancellable && view.CancelAction())
        return CommandEnd::Cancelled;
    return CommandEnd::Finished;
}

std::string processingCaption(int32_t percent)
{
    std::string caption(AppTitle);
    caption += " - Processing: [";
    caption += std::to_string(percent);
    caption += "%]";
    return caption;
}

} // namespace umbrix
