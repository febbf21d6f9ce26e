#include "ui/main/BrowserPanel.h"

#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/WindowLook.h"

namespace umbrix {

void BrowserPanel::compose(QWidget* window, const TwipsScale* scale)
{
    const QFont regular = windowFont(false);

    lblCriteria.place(new ClickLabel(QStringLiteral("Search &Criteria:"), window), scale, 1860, 240,
                      1080, 195);
    lblCriteria->setFont(regular);

    txtSearchSpec.place(new QLineEdit(QStringLiteral("*.*"), window), scale, 3090, 210, 2790, 285);
    lblCriteria->setBuddy(txtSearchSpec.get());

    filList.place(new FileListBox(window), scale, 120, 720, 2835, 2040);
    drvList.place(new DriveListBox(window), scale, 3090, 720, 2805, 315);
    dirList.place(new DirListBox(window), scale, 3090, 1140, 2835, 1440);

    fraOptions.place(new QGroupBox(QStringLiteral("Hidden options"), window), scale, 150, 2940,
                     4335, 945);
    fraOptions->setFont(regular);
    QGroupBox* options = fraOptions.get();
    chkSubDir.place(new QCheckBox(QStringLiteral("&Search in each subdirectory"), options), scale,
                    120, 270, 2565, 210);
    chkViewAll.place(new QCheckBox(QStringLiteral("&View not hidden file/dir also"), options),
                     scale, 120, 600, 2535, 210);
    chkFolder.place(new QCheckBox(QStringLiteral("&Directories only"), options), scale, 2820, 270,
                    1425, 210);
    chkFiles.place(new QCheckBox(QStringLiteral("&Files only"), options), scale, 2820, 600, 1365,
                   210);
    chkSubDir->setChecked(true);
}

bool BrowserPanel::fit(float width)
{
    if (!filList.setWidth((width - 3 * filList.Left()) / 2) || !dirList.setWidth(filList.Width()))
        return false;
    dirList.setLeft(2 * filList.Left() + filList.Width());
    drvList.setLeft(dirList.Left());
    if (!drvList.setWidth(dirList.Width()))
        return false;
    txtSearchSpec.setLeft(dirList.Left());
    if (!txtSearchSpec.setWidth(dirList.Width()))
        return false;
    lblCriteria.setLeft(txtSearchSpec.Left() - lblCriteria.Width() - 90);
    return true;
}

} // namespace umbrix
