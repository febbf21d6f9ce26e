#pragma once

#include <Qt>

namespace umbrix {

// The codes the window's handlers take for a mouse button: 1 left, 2 right,
// 4 middle, 0 any other.
inline int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

// The shift code of the keys held: 1 Shift, 2 Ctrl, 4 Alt, summed.
inline int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace umbrix
