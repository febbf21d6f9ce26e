#include "fileops/RetryStep.h"

#include <cerrno>

namespace umbrix {

RetryAnswer askToRetry(SelectionCommandView& view, const std::string& path,
                       const std::string& description, const std::string& title, bool offerCancel)
{
    const int buttons = (offerCancel ? MsgBoxStyle::YesNoCancel : MsgBoxStyle::YesNo) +
                        MsgBoxStyle::Critical + MsgBoxStyle::DefaultButton2;
    const int answer = view.MsgBox(displayText(path) + "\r\r" + description, buttons, title);
    view.setMsgAnswer(answer);
    if (answer == MsgBoxAnswer::Yes)
        return RetryAnswer::Again;
    return offerCancel && answer == MsgBoxAnswer::Cancel ? RetryAnswer::GiveUp : RetryAnswer::Next;
}

bool outOfDescriptors(const Error& error)
{
    return error.number == errorNumberFromErrno(EMFILE) ||
           error.number == errorNumberFromErrno(ENFILE);
}

void tellOutOfDescriptors(SelectionCommandView& view, const std::string& path,
                          const std::string& description, const std::string& title)
{
    const int answer = view.MsgBox(displayText(path) + "\r\r" + description,
                                   MsgBoxStyle::OKOnly + MsgBoxStyle::Critical, title);
    view.setMsgAnswer(answer);
}

} // namespace umbrix
