#include "WindowRun.h"

#include "ChildProcess.h"
#include "GapMeter.h"
#include "OffscreenWindow.h"
#include "Stopwatch.h"
#include "journal/AttributeJournalFile.h"
#include "platform/AttributeJournal.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/Interaction.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace umbrix::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kResultTag = "window-run";
// Often enough to catch any stretch in which the window does not answer.
constexpr auto kProbeInterval = std::chrono::milliseconds(3);

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

class StampEvent : public QEvent {
public:
    static QEvent::Type type()
    {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }
    StampEvent() : QEvent(type()), posted(Clock::now()) {}
    const Clock::time_point posted;
};

// Events posted from another thread every few milliseconds, as a person's
// input or a timer would arrive, and how long each waited for the window.
class LatencyProbe : public QObject {
public:
    void start()
    {
        poster_ = std::thread([this] {
            while (!stop_.load(std::memory_order_relaxed)) {
                std::this_thread::sleep_for(kProbeInterval);
                QCoreApplication::postEvent(this, new StampEvent);
            }
        });
    }
    // Stops posting; what is still queued is answered here and counts too.
    void stop()
    {
        stop_ = true;
        poster_.join();
        QCoreApplication::sendPostedEvents(this, StampEvent::type());
    }
    int64_t answered() const { return answered_; }
    double worstMs() const { return milliseconds(worst_); }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != StampEvent::type())
            return QObject::event(event);
        worst_ = std::max(worst_, Clock::now() - static_cast<StampEvent*>(event)->posted);
        ++answered_;
        return true;
    }

private:
    std::thread poster_;
    std::atomic<bool> stop_{false};
    Clock::duration worst_{};
    int64_t answered_ = 0;
};

} // namespace

int64_t peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtoll(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

std::string panelBoxes(const FrmSeek& window)
{
    std::string boxes;
    for (int i = 0; i < 5; ++i)
        boxes += static_cast<char>('0' + static_cast<int>(window.fraAttrib->value(i)));
    return boxes;
}

int windowRunMain(int argc, char** argv, const std::string& root, const std::string& settings,
                  bool viewAll)
{
    // The journal the program keeps of every change, as it keeps it.
    AttributeJournalFile journal(settings + "/journal", "umbrix", [](const std::string& message) {
        std::fprintf(stderr, "journal: %s\n", message.c_str());
    });
    const platform::ScopedAttributeJournal journalled(journal);

    OffscreenWindow offscreen(argc, argv, settings);
    if (!offscreen.start())
        return 2;
    FrmSeek& window = offscreen.window;
    const AppState& state = offscreen.state;
    try {
        window.browser.dirList->setPath(root);
    } catch (const Error& error) {
        std::fprintf(stderr, "cannot open %s: %s\n", root.c_str(), error.description.c_str());
        return 2;
    }
    window.browser.chkViewAll->setChecked(viewAll);
    settle(state);

    GapMeter gaps;
    LatencyProbe probe;
    probe.start();
    gaps.start();
    const Stopwatch watch;
    window.cmdSearch->click();
    WindowResult r;
    r.seconds = watch.wallSeconds();
    r.cpuSeconds = watch.cpuSeconds();
    gaps.stop();
    probe.stop();

    r.boxes = window.lstFoundFiles.TotalListbox();
    for (int b = 0; b < window.lstFoundFiles.TotalListbox(); ++b)
        r.rows += window.lstFoundFiles.box(b).ListCount();
    r.scanned = window.lblCountx->text().trimmed().toLongLong();
    const bool finishedMessage =
        std::any_of(offscreen.answers.calls().begin(), offscreen.answers.calls().end(),
                    [](const MsgBoxCall& call) {
                        return call.prompt == QLatin1String("File scanning completed.");
                    });
    r.completed = finishedMessage && window.cmdSearch->text() == QLatin1String("Reset");
    r.yields = gaps.rounds();
    r.longestGapMs = gaps.longestMs();
    r.longestGapCpuMs = gaps.longestCpuMs();
    r.answered = probe.answered();
    r.worstLatencyMs = probe.worstMs();
    r.peakKiB = peakResidentKiB();

    std::printf("%s %.6f %.6f %lld %lld %lld %d %lld %.3f %.3f %lld %.3f %lld\n", kResultTag,
                r.seconds, r.cpuSeconds, static_cast<long long>(r.rows),
                static_cast<long long>(r.scanned), static_cast<long long>(r.boxes),
                r.completed ? 1 : 0, static_cast<long long>(r.yields), r.longestGapMs,
                r.longestGapCpuMs, static_cast<long long>(r.answered), r.worstLatencyMs,
                static_cast<long long>(r.peakKiB));
    std::fflush(stdout);
    return 0;
}

std::string runThisProgram(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"umbrix_bench"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ChildOutput child = runChild("/proc/self/exe", argv);
    if (!child.succeeded())
        throw std::runtime_error(args.front() + " failed (status " + std::to_string(child.status) +
                                 ")");
    return child.text;
}

WindowResult runWindowSearch(const std::string& root, const std::string& settings, bool viewAll)
{
    std::vector<std::string> args{"--window-run", root, settings};
    if (viewAll)
        args.push_back("view-all");
    const std::string text = runThisProgram(args);
    std::istringstream line(text.substr(std::min(text.size(), text.rfind(kResultTag))));
    std::string tag;
    int completed = 0;
    WindowResult r;
    line >> tag >> r.seconds >> r.cpuSeconds >> r.rows >> r.scanned >> r.boxes >> completed >>
        r.yields >> r.longestGapMs >> r.longestGapCpuMs >> r.answered >> r.worstLatencyMs >>
        r.peakKiB;
    if (!line || tag != kResultTag)
        throw std::runtime_error("the window run printed no result: " + text);
    r.completed = completed != 0;
    return r;
}

} // namespace umbrix::bench
