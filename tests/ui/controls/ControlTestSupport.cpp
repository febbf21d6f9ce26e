#include "ControlTestSupport.h"

#include "ui/controls/NameListView.h"

#include <QTest>

namespace umbrix::test {

int rowWithBytes(const QAbstractItemView& view, const std::string& bytes)
{
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QByteArray b = model.index(row, 0).data(NameRowModel::BytesRole).toByteArray();
        if (std::string(b.constData(), static_cast<size_t>(b.size())) == bytes)
            return row;
    }
    return -1;
}

QString rowText(const QAbstractItemView& view, int row)
{
    return view.model()->index(row, 0).data(Qt::DisplayRole).toString();
}

QPoint rowCentre(const QAbstractItemView& view, int row)
{
    return view.visualRect(view.model()->index(row, 0)).center();
}

void showAndWait(QWidget& widget)
{
    widget.resize(300, 600);
    widget.show();
    (void)QTest::qWaitForWindowExposed(&widget);
}

} // namespace umbrix::test
