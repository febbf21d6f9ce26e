#include "ui/main/Twips.h"

namespace umbrix {

TwipsScale TwipsScale::of(const QWidget& widget)
{
    TwipsScale scale;
    const int dpiX = widget.logicalDpiX();
    const int dpiY = widget.logicalDpiY();
    if (dpiX > 0)
        scale.x = 1440.0f / static_cast<float>(dpiX);
    if (dpiY > 0)
        scale.y = 1440.0f / static_cast<float>(dpiY);
    return scale;
}

} // namespace umbrix
