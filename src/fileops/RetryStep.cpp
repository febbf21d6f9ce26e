#include "fileops/RetryStep.h"

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

} // namespace umbrix
