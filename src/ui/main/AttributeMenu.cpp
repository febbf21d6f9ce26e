#include "ui/main/AttributeMenu.h"

#include <QCursor>

namespace umbrix {

AttributeMenu::AttributeMenu(QWidget* parent) : QMenu(QStringLiteral("Attribute"), parent)
{
    mnuDir = addAction(QStringLiteral("{Directory}"));
    mnuDir->setCheckable(true);
    s1 = addSeparator();
    QMenu* remove = addMenu(QStringLiteral("Remove Attribute"));
    mnuRemAttr = remove->menuAction();
    mnuReadOnly = remove->addAction(QStringLiteral("Read-only"));
    mnuHidden = remove->addAction(QStringLiteral("Hidden"));
    mnuSystem = remove->addAction(QStringLiteral("System"));
    mnuArchive = remove->addAction(QStringLiteral("Archive"));
    s2 = addSeparator();
    mnuDelete = addAction(QStringLiteral("Delete"));
    mnuCopy = addAction(QStringLiteral("Copy..."));
    s3 = addSeparator();
    mnuSelectAll = addAction(QStringLiteral("Select All"));
    mnuUnselectAll = addAction(QStringLiteral("Unselect All"));
}

void AttributeMenu::popUpAtPointer()
{
    const QPoint mouse = QCursor::pos();
    popup(QPoint(mouse.x() - sizeHint().width(), mouse.y()));
}

void AttributeMenu::showListItems(bool selectItems, bool copyItems)
{
    mnuSelectAll->setVisible(selectItems);
    mnuUnselectAll->setVisible(selectItems);
    s3->setVisible(copyItems);
    mnuCopy->setVisible(copyItems);
}

void AttributeMenu::enableSelectItems(int selected, int count)
{
    mnuSelectAll->setEnabled(selected != count);
    mnuUnselectAll->setEnabled(selected > 0);
}

QAction* AttributeMenu::removeItem(int index) const
{
    QAction* const items[4] = {mnuReadOnly, mnuHidden, mnuSystem, mnuArchive};
    return items[index];
}

} // namespace umbrix
