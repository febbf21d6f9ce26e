// Not a test: photographs the whole screen while a search with logging on
// meets a folder it cannot read, so the log viewer (a window of its own)
// shows beside the main window; then again after Reset.
// Usage: log_viewer_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "app/AppState.h"
#include "app/Interaction.h"
#include "app/Startup.h"
#include "log/LogViewer.h"
#include "log/LogViewerInstance.h"
#include "platform/FaultInjection.h"
#include "settings/SettingsStore.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <string>

using namespace umbrix;

namespace {

void shootScreen(const QString& file)
{
    QTest::qWait(400);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!picture.save(file))
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
    else
        std::printf("%s %dx%d\n", qPrintable(file), picture.width(), picture.height());
}

void report(const char* when)
{
    const LogViewer* viewer = logViewer();
    std::printf("%s: viewer %s, %s\n", when, viewer ? "loaded" : "unloaded",
                viewer && viewer->isVisible() ? "shown" : "hidden");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    // Settings and the log file stay in a folder of our own.
    test::StoreSandbox stores;
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogError, QStringLiteral("True"));
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogLeft, QStringLiteral("1500"));
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogTop, QStringLiteral("7800"));

    test::TempDir tree;
    test::makeDir(tree / "Private");
    test::makeFile(tree / "Private/diary.txt", "x");
    test::makeDir(tree / "Shared");
    for (int i = 0; i < 12; ++i) {
        const std::string name = tree / ("Shared/note-" + std::to_string(i) + ".txt");
        test::makeFile(name, "x");
        test::setDosAttrib(name, i % 2 == 0 ? 0x2 : 0x4);
    }
    test::makeFile(tree / "boot.ini", "x");
    test::setDosAttrib(tree / "boot.ini", 0x6);

    // Root reads every folder, so "Private" is made unreadable here.
    const std::string unreadable = tree / "Private";
    platform::ScopedFaultHook faults([&](platform::FaultPoint point, std::string_view path) {
        if (point != platform::FaultPoint::OpenDirectory)
            return 0;
        if (!path.empty() && path.back() == '/')
            path.remove_suffix(1);
        return path == unreadable ? EIO : 0;
    });

    FrmSeek window;
    if (!startUp(window, {}))
        return 1;
    std::printf("LogErrors after start-up: %s\n", app().LogErrors ? "True" : "False");
    window.dirList->setPath(tree.path());
    QTest::qWait(300);
    report("after start-up");

    ScopedMsgBoxResponder answers([](const MsgBoxCall& call) {
        std::printf("message: \"%s\" title \"%s\" style %d\n", qPrintable(call.prompt), qPrintable(call.title),
                    call.buttons);
        return MsgBoxAnswer::OK;
    });
    ScopedBeepCounter beeps;
    window.cmdSearch->click();
    report("after the search");
    if (const LogViewer* viewer = logViewer())
        std::printf("log text:\n%s\n", qPrintable(viewer->text()));
    shootScreen(out + QStringLiteral("/log-1-search.png"));

    window.cmdSearch->click();
    QTest::qWait(300);
    report("after Reset");
    shootScreen(out + QStringLiteral("/log-2-after-reset.png"));

    window.cmdExit->click();
    report("after Exit");
    std::printf("stored LogLeft %s, LogTop %s\n",
                qPrintable(GetSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogLeft, {})),
                qPrintable(GetSetting(QStringLiteral("Umbrix"), SettingName::Section, SettingName::LogTop, {})));
    return 0;
}
