#pragma once

#include "ui/main/Twips.h"

#include <QLabel>
#include <QWidget>
#include <string>

namespace umbrix {

// What a form's state is as the program reads and sets it.
enum class WindowState { Normal, Minimized, Maximized };

// A top-level window measured in twips: its outer and inner sizes, its state
// and its caption as the program reads and sets them, whatever the frame the
// window manager adds.
class TwipsForm : public QWidget {
public:
    explicit TwipsForm(QWidget* parent = nullptr);

    const TwipsScale& scale() const { return scale_; }
    float Width() const;       // outer
    float Height() const;      // outer
    float ScaleWidth() const;  // inner
    float ScaleHeight() const; // inner
    void setWidth(float outer);
    void setHeight(float outer);
    void setLeft(float left);
    WindowState formState() const;
    void setFormState(WindowState state);
    void setCaption(const std::string& caption);

    // A position in twips as the window's pixels.
    QPoint pixelsOf(float x, float y) const;
    // Width in twips of `text` in the window's font.
    float TextWidth(const QString& text) const;
    // Sets an auto-sized label's caption: its width follows the text.
    void setAutoSizeCaption(Placed<QLabel>& label, const QString& caption);

protected:
    // The frame is known only once the window is shown; the outer size asked
    // for before then is given again now that it can be met.
    void applyPendingSize();

    TwipsScale screenScale_; // twips per pixel of the screen
    TwipsScale scale_;       // what the window uses: smaller when its text needs more room

private:
    float pendingOuterWidth_ = -1.0f;
    float pendingOuterHeight_ = -1.0f;
};

} // namespace umbrix
