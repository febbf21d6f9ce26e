#pragma once

#include <string>

namespace umbrix {

// What the scanner needs of the window: the result list, the progress
// labels, the on-screen log, the caption while minimized and the yield to
// pending window events.  Folder and name are bytes; the scanner never builds
// display text itself except for the log.
class ScanHost {
public:
    virtual ~ScanHost() = default;

    // Appends the row folder + name to the result list.  May throw Error with
    // ErrorNumber::OutOfMemory when no further row can be kept.
    virtual void FoundFileAdd(const std::string& folder, const std::string& name) = 0;
    // Shows the progress after every examined entry.
    virtual void RefreshResult(const std::string& folder, const std::string& name) = 0;
    // The log viewer's Log (LogText, ForceView).
    virtual void Log(const std::string& logText, bool forceView) = 0;
    virtual bool isMinimized() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The yield to pending window events (DoEvents).
    virtual void DoEvents() = 0;
};

} // namespace umbrix
