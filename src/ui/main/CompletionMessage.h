#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace umbrix {

// Failures a command wrote to the on-screen log while the log window was off
// the screen: nobody has seen them, and the command's end must not read as
// a plain success.  Counts from its construction, when the command begins.
class UnseenFailures {
public:
    UnseenFailures();
    int32_t count() const;

private:
    int32_t before_;
};

// The line a completion message adds for `count` unseen failures; "" for none.
QString unseenFailuresNote(int32_t count);

// A command's completion message: `words` (empty for a command that has none
// of its own) with the unseen failures' line below them and then the warning
// icon instead of `icon`.  No box at all when there is nothing to say.
void showCompletion(QWidget* owner, const QString& words, int icon, const QString& title,
                    const UnseenFailures& failures);

} // namespace umbrix
