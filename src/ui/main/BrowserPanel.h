#pragma once

#include "ui/main/ClickLabel.h"
#include "ui/main/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

namespace umbrix {

class DirListBox;
class DriveListBox;
class FileListBox;

// The controls of the browser view: the search criteria, the drive,
// directory and file lists, and the hidden options.  The window places them
// in its twips and handles their events.
struct BrowserPanel {
    // Creates the controls on `window`.
    void compose(QWidget* window, const TwipsScale* scale);
    // Calls `fn` on every control placed in twips.
    template <class Fn> void forEachPlaced(Fn&& fn)
    {
        fn(lblCriteria), fn(txtSearchSpec), fn(filList), fn(drvList), fn(dirList);
        fn(fraOptions), fn(chkSubDir), fn(chkViewAll), fn(chkFolder), fn(chkFiles);
    }
    // Spreads the lists over `width`; false when a control would get a
    // width below zero.
    bool fit(float width);

    Placed<ClickLabel> lblCriteria;
    Placed<QLineEdit> txtSearchSpec;
    Placed<FileListBox> filList;
    Placed<DriveListBox> drvList;
    Placed<DirListBox> dirList;
    Placed<QGroupBox> fraOptions;
    Placed<QCheckBox> chkSubDir;
    Placed<QCheckBox> chkViewAll;
    Placed<QCheckBox> chkFolder;
    Placed<QCheckBox> chkFiles;
};

} // namespace umbrix
