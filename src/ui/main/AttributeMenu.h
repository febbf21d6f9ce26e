#pragma once

#include <QMenu>

class QAction;

namespace umbrix {

// The list the context menu or a delete key last addressed.
enum class SourceKind { None, Listbox, Dirbox, Filebox };

// The context menu "Attribute", opened only as a pop-up over one of the
// lists.  Its items are the commands' entry points; the window connects them.
class AttributeMenu : public QMenu {
public:
    explicit AttributeMenu(QWidget* parent);

    // Opens at the mouse pointer, its right edge there.
    void popUpAtPointer();
    // The items only some lists offer.
    void showListItems(bool selectItems, bool copyItems);
    // Select All and Unselect All as they fit a box with `selected` of its
    // `count` rows selected.
    void enableSelectItems(int selected, int count);
    // The remove-attribute item of attribute box `index` (0 to 3).
    QAction* removeItem(int index) const;

    QAction* mnuDir = nullptr;
    QAction* s1 = nullptr;
    QAction* mnuRemAttr = nullptr;
    QAction* mnuReadOnly = nullptr;
    QAction* mnuHidden = nullptr;
    QAction* mnuSystem = nullptr;
    QAction* mnuArchive = nullptr;
    QAction* s2 = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* s3 = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* mnuUnselectAll = nullptr;
};

} // namespace umbrix
