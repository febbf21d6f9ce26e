#include "ui/main/TwipsForm.h"

#include "ui/services/QtText.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>

namespace umbrix {

TwipsForm::TwipsForm(QWidget* parent) : QWidget(parent)
{
    scale_ = screenScale_ = TwipsScale::of(*this);
}

float TwipsForm::Width() const
{
    return static_cast<float>(frameGeometry().width()) * scale_.x;
}

// The window menu's bar is left out of the heights the program sets and reads,
// as the system menu it stands for took no room: every height keeps the client
// area it always gave.
float TwipsForm::Height() const
{
    return static_cast<float>(frameGeometry().height() - contentsMargins().top()) * scale_.y;
}

float TwipsForm::ScaleWidth() const
{
    return static_cast<float>(width()) * scale_.x;
}

float TwipsForm::ScaleHeight() const
{
    return static_cast<float>(contentsRect().height()) * scale_.y;
}

void TwipsForm::setWidth(float outer)
{
    if (!isVisible())
        pendingOuterWidth_ = outer;
    const int frame = frameGeometry().width() - width();
    resize(std::max(0, scale_.toPixelsX(outer) - frame), height());
}

void TwipsForm::setHeight(float outer)
{
    if (!isVisible())
        pendingOuterHeight_ = outer;
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(0, scale_.toPixelsY(outer) - frame) + contentsMargins().top());
}

void TwipsForm::setLeft(float left)
{
    move(scale_.toPixelsX(left), frameGeometry().y());
}

void TwipsForm::applyPendingSize()
{
    if (pendingOuterWidth_ >= 0.0f)
        setWidth(std::exchange(pendingOuterWidth_, -1.0f));
    if (pendingOuterHeight_ >= 0.0f)
        setHeight(std::exchange(pendingOuterHeight_, -1.0f));
}

WindowState TwipsForm::formState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return WindowState::Minimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return WindowState::Maximized;
    return WindowState::Normal;
}

void TwipsForm::setFormState(WindowState state)
{
    switch (state) {
    case WindowState::Minimized:
        setWindowState((windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen)) |
                       Qt::WindowMinimized);
        break;
    case WindowState::Maximized:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    case WindowState::Normal:
        setWindowState(windowState() &
                       ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        break;
    }
}

void TwipsForm::setCaption(const std::string& caption)
{
    setWindowTitle(qs(caption));
}

QPoint TwipsForm::pixelsOf(float x, float y) const
{
    return {scale_.toPixelsX(x), scale_.toPixelsY(y)};
}

float TwipsForm::TextWidth(const QString& text) const
{
    return static_cast<float>(QFontMetricsF(font()).horizontalAdvance(text)) * scale_.x;
}

void TwipsForm::setAutoSizeCaption(Placed<QLabel>& label, const QString& caption)
{
    label->setText(caption);
    const QFontMetricsF metrics(label->font());
    label.setWidth(static_cast<float>(std::ceil(metrics.horizontalAdvance(caption))) * scale_.x);
}

} // namespace umbrix
