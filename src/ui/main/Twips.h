#pragma once

#include <QWidget>
#include <cmath>

namespace umbrix {

// Measures of the window and its controls are twips (1/1440 inch).  Qt works
// in logical pixels, so every control keeps its twips rectangle as written and
// the widget follows it, converted with the screen's twips per pixel.
struct TwipsScale {
    float x = 15.0f;
    float y = 15.0f;

    // 1440 / the logical DPI of the widget's screen (15 at 96 DPI).
    static TwipsScale of(const QWidget& widget);

    int toPixelsX(float twips) const { return static_cast<int>(std::lround(twips / x)); }
    int toPixelsY(float twips) const { return static_cast<int>(std::lround(twips / y)); }
};

// A control placed in twips.  Left, Top, Width and Height are the values the
// program set, as single-precision twips; the widget gets them rounded to
// whole pixels.
template <class W> class Placed {
public:
    Placed() = default;

    void place(W* widget, const TwipsScale* scale, float left, float top, float width, float height)
    {
        widget_ = widget;
        scale_ = scale;
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
        apply();
    }

    W* operator->() const { return widget_; }
    W* get() const { return widget_; }
    explicit operator bool() const { return widget_ != nullptr; }

    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }

    void setLeft(float value)
    {
        if (value != left_) {
            left_ = value;
            apply();
        }
    }
    void setTop(float value)
    {
        if (value != top_) {
            top_ = value;
            apply();
        }
    }
    // A size below zero is refused, as any control refuses it: nothing
    // changes and the result is false, which is how the layout knows that a
    // window has been made too small for the rest of its arrangement.
    bool setWidth(float value)
    {
        if (value < 0.0f)
            return false;
        if (value != width_) {
            width_ = value;
            apply();
        }
        return true;
    }
    bool setHeight(float value)
    {
        if (value < 0.0f)
            return false;
        if (value != height_) {
            height_ = value;
            apply();
        }
        return true;
    }

    // The control's own visibility flag, whatever its window shows.
    bool Visible() const { return !widget_->isHidden(); }
    void setVisible(bool visible) { widget_->setVisible(visible); }

    // A control of a window itself is placed in the window's client area,
    // below what the window keeps above it (its menu bar).
    void apply()
    {
        const QWidget* parent = widget_->parentWidget();
        const QPoint origin =
            parent && parent->isWindow() ? parent->contentsRect().topLeft() : QPoint();
        widget_->setGeometry(origin.x() + scale_->toPixelsX(left_),
                             origin.y() + scale_->toPixelsY(top_), scale_->toPixelsX(width_),
                             scale_->toPixelsY(height_));
    }

private:
    W* widget_ = nullptr;
    const TwipsScale* scale_ = nullptr;
    float left_ = 0.0f;
    float top_ = 0.0f;
    float width_ = 0.0f;
    float height_ = 0.0f;
};

} // namespace umbrix
