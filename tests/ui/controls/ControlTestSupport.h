#pragma once

#include <QAbstractItemView>
#include <QPoint>

#include <string>

namespace umbrix::test {

// Row of the list whose exact bytes are `bytes`, -1 when none.
int rowWithBytes(const QAbstractItemView& view, const std::string& bytes);
// What the row shows.
QString rowText(const QAbstractItemView& view, int row);
// Centre of a row in viewport coordinates, for QTest mouse events.
QPoint rowCentre(const QAbstractItemView& view, int row);
// Shows the widget and waits until it is laid out.
void showAndWait(QWidget& widget);

} // namespace umbrix::test
