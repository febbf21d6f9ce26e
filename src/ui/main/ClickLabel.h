#pragma once

#include <QLabel>

namespace umbrix {

// A label that reports a click, as the attribute captions need.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace umbrix
