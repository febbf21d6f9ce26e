#include "ui/main/ListBoxOperations.h"

#include "ui/controls/ResultListBox.h"
#include "ui/main/Twips.h"

#include <cmath>

namespace umbrix {
namespace {

float wholeTwipsPerPixel(float twipsPerPixel)
{
    return std::nearbyint(twipsPerPixel);
}

} // namespace

int32_t itemFromY(float y, int32_t top, float twipsPerPixel, int rowHeight)
{
    const float p = wholeTwipsPerPixel(twipsPerPixel);
    if (p <= 0.0f || rowHeight <= 0)
        return top;
    const float yp = std::nearbyint(y / p);
    return static_cast<int32_t>(std::trunc(yp / static_cast<float>(rowHeight))) + top;
}

int32_t visibleItems(int32_t height, float twipsPerPixel, int rowHeight)
{
    const float p = wholeTwipsPerPixel(twipsPerPixel);
    if (p <= 0.0f || rowHeight <= 0)
        return 0;
    return static_cast<int32_t>(
        std::nearbyint(static_cast<float>(height) / (p * static_cast<float>(rowHeight))));
}

int32_t ListItemFromY(ResultListBox& box, float y, int32_t top)
{
    return itemFromY(y, top, TwipsScale::of(box).y, box.itemHeight());
}

void ListSetSelected(ResultListBox& box, int32_t index, bool select)
{
    if (index == -1)
        box.setAllSelected(select);
    else
        box.setSelected(index, select);
}

QPointF mouseTwips(const ResultListBox& box, const QPoint& pixels)
{
    const TwipsScale scale = TwipsScale::of(box);
    return {static_cast<qreal>(pixels.x()) * wholeTwipsPerPixel(scale.x),
            static_cast<qreal>(pixels.y()) * wholeTwipsPerPixel(scale.y)};
}

int32_t ListVisibleItems(ResultListBox& box, int32_t height)
{
    return visibleItems(height, TwipsScale::of(box).y, box.itemHeight());
}

} // namespace umbrix
