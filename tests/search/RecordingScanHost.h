#pragma once

#include "platform/Error.h"
#include "search/ScanHost.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace umbrix::test {

// A window stand-in that remembers everything the scanner shows and can act
// at a chosen yield, the way a Cancel click or an Esc key would arrive.
class RecordingScanHost : public ScanHost {
public:
    struct LogEntry {
        std::string text;
        bool forceView = false;
    };

    std::vector<std::string> rows;      // folder + name of every FoundFileAdd
    std::vector<std::string> refreshed; // folder + name of every RefreshResult
    std::vector<LogEntry> logs;
    std::vector<std::string> captions;
    bool minimized = false;
    int yields = 0;
    // FoundFileAdd refuses with "out of memory" once this many rows are held.
    int rowLimit = -1;

    // Runs `action` during the n-th yield (counted from 1).
    void atYield(int n, std::function<void()> action) { actions_[n] = std::move(action); }
    // Runs `action` during every yield.
    void onEveryYield(std::function<void()> action) { everyYield_ = std::move(action); }

    void FoundFileAdd(const std::string& folder, const std::string& name) override
    {
        if (rowLimit >= 0 && static_cast<int>(rows.size()) >= rowLimit)
            throw Error{ErrorNumber::OutOfMemory, "Out of memory"};
        rows.push_back(folder + name);
    }
    void RefreshResult(const std::string& folder, const std::string& name) override
    {
        refreshed.push_back(folder + name);
    }
    void Log(const std::string& logText, bool forceView) override
    {
        logs.push_back({logText, forceView});
    }
    bool isMinimized() const override { return minimized; }
    void setCaption(const std::string& caption) override { captions.push_back(caption); }
    void DoEvents() override
    {
        ++yields;
        if (everyYield_)
            everyYield_();
        if (auto it = actions_.find(yields); it != actions_.end())
            it->second();
    }

private:
    std::map<int, std::function<void()>> actions_;
    std::function<void()> everyYield_;
};

} // namespace umbrix::test
