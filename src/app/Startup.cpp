#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/EndSignals.h"
#include "journal/AttributeJournalFile.h"
#include "platform/AppTitle.h"
#include "platform/AttributeJournal.h"
#include "platform/Error.h"
#include "platform/OpenFileLimit.h"
#include "platform/PathText.h"
#include "settings/Registration.h"
#include "settings/SettingsFile.h"
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
#include <QTimer>
#include <cstdio>
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
            window.browser.dirList->setPath(folder);
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
    // As the command line does: a delete holds a descriptor per level.
    platform::raiseOpenFileLimit();
    // Every attribute the window changes goes into this run's journal, which
    // outlives the windows so that their last changes are written too.
    AttributeJournalFile journal(journalFolder(), "umbrix", [](const std::string& message) {
        std::fprintf(stderr, "umbrix: %s\n", message.c_str());
        MsgBox(qs(message), MsgBoxStyle::Exclamation, qs(AppTitle));
    });
    const platform::ScopedAttributeJournal journalled(journal);
    // A closed terminal or a kill writes the journal before the end.
    const EndSignals endSignals([&journal] { journal.finish(); });
    installSettingsComplaint(
        [](const QString& message) { MsgBox(message, MsgBoxStyle::Exclamation, qs(AppTitle)); });
    // The search and the selection commands flush when they end; a single
    // change (one box, a reset before a delete) is on disk within a second.
    QTimer journalFlush;
    QObject::connect(&journalFlush, &QTimer::timeout, [] { platform::flushAttributeJournal(); });
    journalFlush.start(1000);

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
