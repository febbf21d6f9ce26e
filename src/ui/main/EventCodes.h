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

namespace VirtualKey {
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int Up = 38;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
inline constexpr int Apps = 93;
} // namespace VirtualKey

// The Windows key code of a Qt key.  Letters and digits are the same in
// both; the keys the handlers do not know keep a code no handler asks for.
inline int keyCodeOf(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
        return VirtualKey::PageUp;
    case Qt::Key_PageDown:
        return VirtualKey::PageDown;
    case Qt::Key_Up:
        return VirtualKey::Up;
    case Qt::Key_Down:
        return VirtualKey::Down;
    case Qt::Key_Delete:
        return VirtualKey::Delete;
    case Qt::Key_Menu:
        return VirtualKey::Apps;
    default:
        return key;
    }
}

} // namespace umbrix
