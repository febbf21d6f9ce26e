// Not a test: pictures of the main window for a person to look at: the
// browser, a search under way, its results with the log viewer beside the
// window (the search meets a folder it cannot read, with logging on) and the
// browser again after Reset.
// Usage: window_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "app/AppState.h"
#include "app/Interaction.h"
#include "app/Startup.h"
#include "platform/FaultInjection.h"
#include "settings/SettingsStore.h"
#include "settings/StoreSandbox.h"
#include "support/TempDir.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <string>

using namespace umbrix;

namespace {

QString folder;

void save(const QPixmap& picture, const char* name) {
    const QString file = folder + QLatin1Char('/') + QLatin1String(name);
    if (picture.save(file))
        std::printf("%s %dx%d\n", qPrintable(file), picture.width(), picture.height());
    else
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
}

// The whole screen, where the log viewer shows as a window of its own.
void saveScreen(const char* name) {
    QTest::qWait(400);
    save(QGuiApplication::primaryScreen()->grabWindow(0), name);
}

void setting(const QString& name, const char* value) {
    SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, name, QLatin1String(value));
}

void entry(const std::string& path, uint32_t attributes, bool isFolder = false) {
    isFolder ? test::makeDir(path) : test::makeFile(path, "x");
    if (attributes)
        test::setDosAttrib(path, attributes);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    folder = QString::fromLocal8Bit(argv[1]);

    // Settings and the log file stay in a folder of our own, never the user's.
    test::StoreSandbox stores;
    setting(SettingName::LogError, "True");
    setting(SettingName::LogLeft, "1500");
    setting(SettingName::LogTop, "7800");

    test::TempDir tree;
    entry(tree / "Documents", 0, true);
    entry(tree / "Documents/.cache", 0x2, true);
    for (int i = 0; i < 40; ++i)
        entry(tree / ("Documents/report-" + std::to_string(i) + ".txt"),
              i % 3 == 0 ? 0x2 : (i % 3 == 1 ? 0x4 : 0x20));
    entry(tree / "Private", 0, true);
    entry(tree / "Private/diary.txt", 0x2);
    entry(tree / "boot.ini", 0x6);
    entry(tree / "pagefile.sys", 0x4);
    entry(tree / "na\xefve-\xff.dat", 0x2);
    // Root reads every folder, so "Private" is made unreadable here.
    const std::string unreadable = tree / "Private";
    const platform::ScopedFaultHook faults([&](platform::FaultPoint point, std::string_view path) {
        if (path.ends_with('/'))
            path.remove_suffix(1);
        return point == platform::FaultPoint::OpenDirectory && path == unreadable ? EIO : 0;
    });

    FrmSeek window;
    if (!startUp(window, "/timeout:0.01"))
        return 1;
    window.dirList->setPath(tree.path());
    QTest::qWait(300);
    save(window.grab(), "1-browser.png");

    const ScopedMsgBoxResponder answers;
    const ScopedBeepCounter beeps;
    ScopedDoEventsHook searching([&, shot = false]() mutable {
        if (!shot && app().ScannedCount >= 70) {
            shot = true;
            save(window.grab(), "2-searching.png");
        }
    });
    window.cmdSearch->click();
    save(window.grab(), "3-results.png");
    saveScreen("4-results-and-log-viewer.png");

    window.cmdSearch->click();
    saveScreen("5-after-reset.png");
    return 0;
}
