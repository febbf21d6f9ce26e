#include "ui/services/Interaction.h"

#include "platform/VectorState.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <chrono>

namespace umbrix {
namespace {
constexpr std::chrono::microseconds kFullRoundInterval{1000};

ScopedMsgBoxResponder* g_responder = nullptr;
ScopedBeepCounter* g_beeps = nullptr;
ScopedDoEventsHook* g_doEventsHook = nullptr;

QMessageBox::Icon iconOf(int buttons)
{
    switch (buttons & 0x70) {
    case MsgBoxStyle::Critical:
        return QMessageBox::Critical;
    case MsgBoxStyle::Question:
        return QMessageBox::Question;
    case MsgBoxStyle::Exclamation:
        return QMessageBox::Warning;
    case MsgBoxStyle::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

int MsgBox(const QString& prompt, int buttons, const QString& title, QWidget* parent)
{
    if (g_responder) {
        MsgBoxCall call{prompt, buttons, title};
        const int answer = g_responder->answer_ ? g_responder->answer_(call) : MsgBoxAnswer::OK;
        g_responder->calls_.push_back(std::move(call));
        return answer;
    }

    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(iconOf(buttons), title, text, QMessageBox::NoButton, parent);

    struct Choice {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (buttons & 0x7) {
    case MsgBoxStyle::YesNoCancel:
        choices = {{QMessageBox::Yes, MsgBoxAnswer::Yes},
                   {QMessageBox::No, MsgBoxAnswer::No},
                   {QMessageBox::Cancel, MsgBoxAnswer::Cancel}};
        break;
    case MsgBoxStyle::YesNo:
        choices = {{QMessageBox::Yes, MsgBoxAnswer::Yes}, {QMessageBox::No, MsgBoxAnswer::No}};
        break;
    default:
        choices = {{QMessageBox::Ok, MsgBoxAnswer::OK}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button);
    const size_t defaultIndex =
        (buttons & MsgBoxStyle::DefaultButton2) && choices.size() > 1 ? 1 : 0;
    box.setDefaultButton(choices[defaultIndex].button);

    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& c : choices)
        if (c.button == pressed)
            return c.answer;
    // Closed without a button: Esc means Cancel where there is one, else the
    // box's only answer.
    return (buttons & 0x7) == MsgBoxStyle::YesNoCancel ? MsgBoxAnswer::Cancel
                                                       : choices.back().answer;
}

void Beep()
{
    if (g_beeps) {
        ++g_beeps->count_;
        return;
    }
    QApplication::beep();
}

void DoEvents()
{
    if (g_doEventsHook && g_doEventsHook->hook_)
        g_doEventsHook->hook_();

    // A long operation yields several times per entry, and a full round of
    // event handling asks the system for input and timers even when nothing
    // waits, which costs more than the entry itself.  So the full round runs
    // at most once a millisecond, still far quicker than a person can tell;
    // in between, only the events the program posted to itself are
    // delivered, which costs next to nothing when there are none.
    using Clock = std::chrono::steady_clock;
    static Clock::time_point lastRound;
    if (Clock::now() - lastRound < kFullRoundInterval) {
        QCoreApplication::sendPostedEvents();
    } else {
        QCoreApplication::processEvents();
        lastRound = Clock::now();
    }
    // The work that yielded goes on in our own code.
    platform::clearUpperVectorState();
}

ScopedMsgBoxResponder::ScopedMsgBoxResponder(Answer answer)
    : answer_(std::move(answer)), previous_(g_responder)
{
    g_responder = this;
}
ScopedMsgBoxResponder::~ScopedMsgBoxResponder()
{
    g_responder = previous_;
}

ScopedBeepCounter::ScopedBeepCounter() : previous_(g_beeps)
{
    g_beeps = this;
}
ScopedBeepCounter::~ScopedBeepCounter()
{
    g_beeps = previous_;
}

ScopedDoEventsHook::ScopedDoEventsHook(std::function<void()> hook)
    : hook_(std::move(hook)), previous_(g_doEventsHook)
{
    g_doEventsHook = this;
}
ScopedDoEventsHook::~ScopedDoEventsHook()
{
    g_doEventsHook = previous_;
}

} // namespace umbrix
