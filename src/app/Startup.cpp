#include "app/Startup.h"

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "app/FileSystemObject.h"
#include "app/Interaction.h"
#include "app/QtText.h"
#include "log/LogViewerInstance.h"
#include "platform/Error.h"
#include "settings/SettingsStore.h"
#include "ui/main/FrmSeek.h"

#include <QApplication>
#include <exception>
#include <new>

namespace umbrix {

bool FrmSeek::SetObject(const std::function<std::unique_ptr<FileSystemObject>()>& create)
{
    std::string description;
    try {
        FileSystem = create ? create() : std::make_unique<FileSystemObject>();
        if (FileSystem)
            return true;
        description = "Object not created";
    } catch (const Error& e) {
        description = e.description;
    } catch (const std::exception& e) {
        description = e.what();
    }
    MsgBox(QStringLiteral("SCRRUN.DLL\r\r") + qs(description), MsgBoxStyle::Critical,
           qs(app().AppTitle));
    return false;
}

bool startUp(FrmSeek& window, std::string_view commandLine)
{
    AppState& s = app();
    s.AppTitle = std::string(kAppTitle);
    s.ScanPause = ScanPauseFromCommandLine(commandLine);
    if (!window.SetObject())
        return false;
    s.SearchSubDirs = true;
    window.setCurrentWidth(6165);
    window.Show();
    window.setCancelAction(false);
    loadLogViewer(&window);
    window.logSink = logToViewer;
    s.LogErrors = readLogErrorsSetting();
    return true;
}

int runUmbrix(int argc, char** argv)
{
    try {
        FrmSeek window;
        if (!startUp(window, commandLineFromArguments(argc, argv)))
            return 1;
        return QApplication::exec();
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Critical, qs(app().AppTitle));
    } catch (const std::exception& e) {
        MsgBox(qs(e.what()), MsgBoxStyle::Critical, qs(app().AppTitle));
    }
    return 1;
}

void ExitApplication(FrmSeek& window)
{
    app().Closing = true;
    window.cmdExit->setEnabled(false);
    unloadLogViewer();
    window.Unload();
}

} // namespace umbrix
