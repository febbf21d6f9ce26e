#include "ui/main/ClickLabel.h"

#include <QMouseEvent>

namespace umbrix {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

} // namespace umbrix
