#pragma once

#include "search/ScanHost.h"

namespace umbrix {

class FrmSeek;

// The main window as the scanner sees it.
class SearchHost : public ScanHost {
public:
    explicit SearchHost(FrmSeek& window) : window_(window) {}

    void FoundFileAdd(const std::string& folder, const std::string& name) override;
    void RefreshResult(const std::string& folder, const std::string& name) override;
    void Log(const std::string& logText, bool forceView) override;
    bool isMinimized() const override;
    void setCaption(const std::string& caption) override;
    void DoEvents() override;

private:
    FrmSeek& window_;
};

} // namespace umbrix
