#pragma once

// The numeric codes of message boxes, summed as the program passes them and
// stored as the program keeps its answers.  Plain numbers, so that work
// below the window (the file commands) can say which box it needs.
namespace umbrix {

namespace MsgBoxStyle {
inline constexpr int OKOnly = 0;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;
} // namespace MsgBoxStyle

namespace MsgBoxAnswer {
inline constexpr int OK = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace MsgBoxAnswer

} // namespace umbrix
