#include "OffscreenWindow.h"

#include "app/Startup.h"
#include "ui/main/SearchCommand.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace umbrix::bench {
namespace {

bool useOffscreenPlatform()
{
    return qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}

} // namespace

void settle(const AppState& state)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(200);
    while (Clock::now() < until || state.Busy) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

OffscreenWindow::OffscreenWindow(int& argc, char** argv, const std::string& settings)
    : offscreen_(useOffscreenPlatform()), application_(argc, argv),
      settingsHere_(QString::fromStdString(settings + "/user"),
                    QString::fromStdString(settings + "/system")),
      window(state)
{}

bool OffscreenWindow::start(const std::string& folder)
{
    return startUp(window, {}, folder);
}

ResultListBox& OffscreenWindow::showFound(const std::function<void(FrmSeek&)>& add)
{
    EnterSearchState(window);
    add(window);
    ShowSearchResults(window);
    return window.lstFoundFiles.box(0);
}

} // namespace umbrix::bench
