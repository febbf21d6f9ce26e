#include "app/Startup.h"

#include "app/CommandLine.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "settings/Registration.h"
#include "settings/SettingsStore.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/AppState.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewer.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QApplication>
#include <exception>

namespace umbrix {

void showRegistrationMessage(const std::string& prompt, int icon)
{
    MsgBox(qs(prompt), icon, qs(AppTitle));
}

bool componentCheck(const RegisterServerCall& registerServer)
{
    // Only an administrator can record the outcome machine-wide; anyone else
    // starts without the check.
    return !IsAdmin() || RegisterScrRun(true, showRegistrationMessage, registerServer);
}

bool startUp(FrmSeek& window, std::string_view commandLine, const std::string& folder)
{
    AppState& s = window.state();
    if (!componentCheck())
        return false;
    s.ScanPause = ScanPauseFromCommandLine(commandLine);
    if (!window.SetObject())
        return false;
    s.SearchSubDirs = true;
    window.setCurrentWidth(6165);
    window.Show();
    if (!folder.empty()) {
        try {
            window.dirList->setPath(folder);
        } catch (const Error& e) {
            MsgBox(qs(e.description + ": \"" + displayText(folder) + "\""),
                   MsgBoxStyle::Exclamation, qs(AppTitle), &window);
        }
    }
    window.setCancelAction(false);
    loadLogViewer(&window).setLogSwitch([&s] { return s.LogErrors; });
    window.logSink = logToViewer;
    SetupSystemMenu(&window, QString());
    s.LogErrors = readLogErrorsSetting();
    SetSystemMenuCheck(&window, SystemCommand::LogErrors, s.LogErrors);
    return true;
}

int runUmbrix(int argc, char** argv)
{
    // The program's state outlives its windows.
    AppState state;
    try {
        FrmSeek window(state);
        if (!startUp(window, commandLineFromArguments(argc, argv), folderFromArguments(argc, argv)))
            return 1;
        return QApplication::exec();
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Critical, qs(AppTitle));
    } catch (const std::exception& e) {
        MsgBox(qs(e.what()), MsgBoxStyle::Critical, qs(AppTitle));
    }
    return 1;
}

} // namespace umbrix
