// Not a test: pictures of the main window for a person to look at: the
// browser, a search under way, its results with the log viewer beside the
// window (the search meets a folder it cannot read, with logging on) and the
// browser again after Reset; then the window menu with "Log Errors" checked,
// the same menu after "Log Errors" was chosen, and the About window with the
// pointer on its web link.
// Usage: window_shots <folder for the PNGs>
// Run it on a real display (xvfb-run -a -s "-screen 0 1280x800x24").

#include "platform/FaultInjection.h"
#include "settings/SettingsStore.h"
#include "ui/main/AboutWindow.h"
#include "ShotKit.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/Interaction.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cerrno>

using namespace umbrix;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    shots::Shots shots(argc, argv);
    if (!shots.ok())
        return 2;
    // The whole screen is taken at once, where the log viewer shows as a
    // window of its own; a window after the events already due.
    const auto save = [&](QWidget* window, const char* name) {
        shots.save(window, name, window ? 0 : 400);
    };
    for (const auto& [name, value] : {std::pair{SettingName::LogError, "True"},
                                      {SettingName::LogLeft, "1500"},
                                      {SettingName::LogTop, "7800"}})
        SaveSetting(QStringLiteral("Umbrix"), SettingName::Section, name, QLatin1String(value));

    shots.entry("Documents", 0, true);
    shots.entry("Documents/.cache", 0x2, true);
    for (int i = 0; i < 40; ++i)
        shots.entry("Documents/report-" + std::to_string(i) + ".txt",
                    i % 3 == 0 ? 0x2 : (i % 3 == 1 ? 0x4 : 0x20));
    shots.entry("Private", 0, true);
    shots.entry("Private/diary.txt", 0x2);
    shots.entry("boot.ini", 0x6);
    shots.entry("na\xefve-\xff.dat", 0x2);
    // Root reads every folder, so "Private" is made unreadable here.
    const std::string unreadable = shots.tree / "Private";
    const platform::ScopedFaultHook faults([&](platform::FaultPoint point, std::string_view path) {
        if (path.ends_with('/'))
            path.remove_suffix(1);
        return point == platform::FaultPoint::OpenDirectory && path == unreadable ? EIO : 0;
    });

    AppState& state = shots.state;
    FrmSeek window(state);
    if (!shots.start(window, "/timeout:0.01"))
        return 1;
    QTest::qWait(300);
    save(&window, "1-browser.png");

    const ScopedMsgBoxResponder answers;
    const ScopedBeepCounter beeps;
    const ScopedDoEventsHook searching([&, shot = false]() mutable {
        if (!shot && state.ScannedCount >= 70) {
            shot = true;
            save(&window, "2-searching.png");
        }
    });
    window.cmdSearch->click();
    save(&window, "3-results.png");
    save(nullptr, "4-results-and-log-viewer.png");
    window.cmdSearch->click();
    save(nullptr, "5-after-reset.png");

    window.activateWindow();
    QTest::keyClick(window.browser.txtSearchSpec.get(), Qt::Key_Space, Qt::AltModifier);
    save(nullptr, "6-window-menu.png");
    window.windowMenu->menu()->hide();
    window.windowMenu->item(SystemCommand::LogErrors)->trigger();
    window.windowMenu->open();
    save(nullptr, "7-log-errors-chosen.png");
    window.windowMenu->menu()->hide();

    // The About window is modal: its pictures are taken from inside its loop.
    QTimer::singleShot(300, [&] {
        AboutWindow* about = aboutWindow();
        if (!about)
            return;
        QTest::mouseMove(about->lblweb, QPoint(10, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 5),
                         about->lblweb->mapToGlobal(QPointF(10, 5)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(about->lblweb, &move);
        save(about, "8-about.png");
        save(nullptr, "9-about-on-screen.png");
        about->btnOK->click();
    });
    window.windowMenu->item(SystemCommand::About)->trigger();
    return 0;
}
