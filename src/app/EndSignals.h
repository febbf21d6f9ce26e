#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace umbrix {

// SIGHUP, SIGTERM and SIGINT end the window program as they always did, but
// first `atEnd` runs on the window's thread, at its next event or yield (a
// search yields between entries), so that what was changed up to then is
// in the journal.  SIGPIPE is ignored: a write to a closed pipe fails
// instead of ending the program unannounced.  One instance a process.
class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> atEnd);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    std::function<void()> atEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace umbrix
