#include "ui/main/CompletionMessage.h"

#include "ui/main/LogViewer.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"

namespace umbrix {
namespace {

int32_t unseenSoFar()
{
    const LogViewer* viewer = logViewer();
    return viewer ? viewer->unseenEntries() : 0;
}

} // namespace

UnseenFailures::UnseenFailures() : before_(unseenSoFar()) {}

int32_t UnseenFailures::count() const
{
    return unseenSoFar() - before_;
}

QString unseenFailuresNote(int32_t count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 entry could not be read or changed: \"Log Errors\" in the "
                              "window menu (Alt+W) shows it.");
    return QStringLiteral("%1 entries could not be read or changed: \"Log Errors\" in the "
                          "window menu (Alt+W) shows them.")
        .arg(count);
}

void showCompletion(QWidget* owner, const QString& words, int icon, const QString& title,
                    const UnseenFailures& failures)
{
    const QString note = unseenFailuresNote(failures.count());
    if (note.isEmpty()) {
        if (!words.isEmpty())
            MsgBox(words, icon, title, owner);
        return;
    }
    MsgBox(words.isEmpty() ? note : words + QStringLiteral("\r\r") + note,
           MsgBoxStyle::Exclamation, title, owner);
}

} // namespace umbrix
