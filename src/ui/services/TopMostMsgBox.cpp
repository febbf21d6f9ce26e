#include "ui/services/TopMostMsgBox.h"

#include "ui/services/Interaction.h"

#include <QWidget>

namespace umbrix {
namespace {

void setStaysOnTop(QWidget* window, bool on)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing a window flag takes a shown window off the screen; it comes
    // back at once, in place, and without stealing the focus from whatever
    // the user is typing into.
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        const bool quiet = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    }
}

} // namespace

void SetTopMost(QWidget* window)
{
    setStaysOnTop(window, true);
}

void SetNotTopMost(QWidget* window)
{
    setStaysOnTop(window, false);
}

int TopMostMsgBox(QWidget* window, const QString& prompt, int buttons, const QString& title)
{
    SetNotTopMost(window);
    const int answer = MsgBox(prompt, buttons, title);
    SetTopMost(window);
    return answer;
}

} // namespace umbrix
