#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

namespace umbrix {

// The platform's sans serif at 8.25 pt.  The controls are measured for a
// narrow bitmap face; a condensed width lets every caption fit its control.
inline QFont windowFont(bool bold)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setStretch(QFont::Condensed);
    font.setBold(bold);
    return font;
}

inline constexpr QRgb kLightGrey = 0xC0C0C0;

inline void paintBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace umbrix
