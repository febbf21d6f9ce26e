#pragma once

#include <QString>

class QWidget;

namespace umbrix {

// Keeps `window` above every other window, or lets it take its ordinary
// place again.  Neither call shows a hidden window; a shown one stays shown,
// where it was, without taking the keyboard focus.  Null is ignored.
void SetTopMost(QWidget* window);
void SetNotTopMost(QWidget* window);

// A message box (MsgBox) that an always-on-top `window` does not cover: the
// window is lowered while the box is open and kept on top again afterwards.
// Returns the box's answer.
int TopMostMsgBox(QWidget* window, const QString& prompt, int buttons, const QString& title);

} // namespace umbrix
