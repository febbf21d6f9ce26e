#pragma once

#include <QPoint>
#include <QPointF>
#include <cstdint>

namespace umbrix {

class ResultListBox;

// The row under a mouse position y (twips, from the box's top edge) of a box
// whose first visible row is `top`; may lie beyond the last row.  Computed
// from the row height, without asking the view for a hit test.
int32_t ListItemFromY(ResultListBox& box, float y, int32_t top);

// Selects or deselects row `index`, or every row when index is -1, in one step.
void ListSetSelected(ResultListBox& box, int32_t index, bool select);

// Whole rows the box shows at a height of `height` twips.
int32_t ListVisibleItems(ResultListBox& box, int32_t height);

// A mouse position on the box's rows (viewport pixels) in twips, as the
// box's handlers get it.  Both axes use the whole twips per pixel that
// ListItemFromY divides by again, so the row it finds is the one under the
// pointer at any screen density.
QPointF mouseTwips(const ResultListBox& box, const QPoint& pixels);

// The arithmetic behind them, for a vertical scale in twips per pixel and a
// row height in pixels.  Rounding halves go to the even neighbour.
int32_t itemFromY(float y, int32_t top, float twipsPerPixel, int rowHeight);
int32_t visibleItems(int32_t height, float twipsPerPixel, int rowHeight);

} // namespace umbrix
