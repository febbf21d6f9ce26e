#pragma once

#include "platform/MsgBoxCodes.h"

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace umbrix {

// A modal message box.  The prompt keeps its carriage returns; each is shown
// as a line break.  Returns one of MsgBoxAnswer.
int MsgBox(const QString& prompt, int buttons, const QString& title, QWidget* parent = nullptr);

// The system beep.
void Beep();

// The yield to pending window events.  Input and timers are handled at most
// once a millisecond, events the program posted to itself at every call, so
// a loop may yield as often as it likes.
void DoEvents();

// --- Seams for tests -------------------------------------------------------

struct MsgBoxCall {
    QString prompt;
    int buttons = 0;
    QString title;
};

// While alive, every MsgBox is recorded and answered by `answer` instead of
// being shown (OK when no answer function is given).
class ScopedMsgBoxResponder {
public:
    using Answer = std::function<int(const MsgBoxCall&)>;
    explicit ScopedMsgBoxResponder(Answer answer = {});
    ~ScopedMsgBoxResponder();
    ScopedMsgBoxResponder(const ScopedMsgBoxResponder&) = delete;
    ScopedMsgBoxResponder& operator=(const ScopedMsgBoxResponder&) = delete;

    const std::vector<MsgBoxCall>& calls() const { return calls_; }

private:
    friend int MsgBox(const QString&, int, const QString&, QWidget*);
    Answer answer_;
    std::vector<MsgBoxCall> calls_;
    ScopedMsgBoxResponder* previous_;
};

// While alive, beeps are counted instead of sounded.
class ScopedBeepCounter {
public:
    ScopedBeepCounter();
    ~ScopedBeepCounter();
    ScopedBeepCounter(const ScopedBeepCounter&) = delete;
    ScopedBeepCounter& operator=(const ScopedBeepCounter&) = delete;

    int count() const { return count_; }

private:
    friend void Beep();
    int count_ = 0;
    ScopedBeepCounter* previous_;
};

// While alive, `hook` runs at every DoEvents before the pending events are
// processed, so a test can act at a chosen yield (press Esc at the 5th...).
class ScopedDoEventsHook {
public:
    explicit ScopedDoEventsHook(std::function<void()> hook);
    ~ScopedDoEventsHook();
    ScopedDoEventsHook(const ScopedDoEventsHook&) = delete;
    ScopedDoEventsHook& operator=(const ScopedDoEventsHook&) = delete;

private:
    friend void DoEvents();
    std::function<void()> hook_;
    ScopedDoEventsHook* previous_;
};

} // namespace umbrix
