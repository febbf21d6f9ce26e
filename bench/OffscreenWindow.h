#pragma once

#include "settings/SettingsLocation.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"

#include <QApplication>
#include <functional>
#include <string>

namespace umbrix {
class ResultListBox;
}

namespace umbrix::bench {

// Lets a filled window be laid out and painted, and any work it is busy
// with end, before a clock starts: a person acts on a settled window.
void settle(const AppState& state);

// The main window of a run's child process: on the offscreen platform, with
// the program's settings below `settings` rather than the user's, every
// message box and beep taken by the seams.  `argc` must outlive the window,
// as QApplication's.
class OffscreenWindow {
public:
    OffscreenWindow(int& argc, char** argv, const std::string& settings);

    // The program's start-up, opening `folder` as its command line would;
    // false when it refused, which ends the run.
    bool start(const std::string& folder = {});

    // The first result list box after a search whose finds `add` reports
    // through FoundFileAdd.
    ResultListBox& showFound(const std::function<void(FrmSeek&)>& add);

private:
    bool offscreen_; // the platform is chosen before the application exists
    QApplication application_;
    ScopedSettingsLocation settingsHere_;

public:
    ScopedMsgBoxResponder answers;
    ScopedBeepCounter beeps;
    AppState state;
    FrmSeek window;
};

} // namespace umbrix::bench
