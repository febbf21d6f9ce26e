// The main window's construction: its controls, their fonts and colours,
// the tab order and the connections to their handlers.

#include "fileops/FileSystemObject.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchCommand.h"
#include "ui/main/SearchHost.h"
#include "ui/main/SearchTextBox.h"
#include "ui/main/WindowLook.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

namespace umbrix {

namespace {

// The boxed counter labels.
void boxed(QLabel* label)
{
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
}

} // namespace

FrmSeek::FrmSeek(AppState& state, QWidget* parent)
    : TwipsForm(parent), lstFoundFiles(*this, &scale_), state_(state),
      host_(std::make_unique<SearchHost>(*this)),
      attributeHost_(std::make_unique<AttributeHost>(*this))
{
    setObjectName(QStringLiteral("frmSeek"));
    setWindowTitle(qs(AppTitle));
    setFont(windowFont(true));
    windowMenu = new WindowMenu(*this);
    compose();
    connectHandlers();
    resize(scale_.toPixelsX(6210), scale_.toPixelsY(5100));
    // Keyboard preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
}

FrmSeek::~FrmSeek() = default;

void FrmSeek::compose()
{
    browser.compose(this, &scale_);
    composeButtons();
    composeResults();
    fraAttrib.place(new AttributePanel(*this, &scale_, this), &scale_, 5010, 4020, 5805, 705);
    bAttribute = new AttributeMenu(this);
    fitCaptions();

    std::vector<QWidget*> order = {browser.txtSearchSpec.get(),
                                   browser.filList.get(),
                                   browser.drvList.get(),
                                   browser.dirList.get(),
                                   browser.chkSubDir.get(),
                                   browser.chkViewAll.get(),
                                   browser.chkFolder.get(),
                                   browser.chkFiles.get(),
                                   cmdSearch.get(),
                                   cmdExit.get(),
                                   lstFoundFiles[0].get()};
    for (QWidget* box : fraAttrib->tabOrder())
        order.push_back(box);
    order.push_back(txtTip.get());
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FrmSeek::composeButtons()
{
    cmdSearch.place(new QPushButton(QStringLiteral("Search"), this), &scale_, 4590, 2970, 1200,
                    400);
    cmdExit.place(new QPushButton(QStringLiteral("E&xit"), this), &scale_, 4590, 3480, 1200, 400);
    for (QPushButton* button : {cmdSearch.get(), cmdExit.get()}) {
        paintBackground(button, QPalette::Button, QColor(kLightGrey));
        button->setAutoDefault(false);
    }
}

void FrmSeek::composeResults()
{
    const QFont regular = windowFont(false);

    lblFound.place(new QLabel(QStringLiteral("Files Found:"), this), &scale_, 120, 4080, 855, 195);
    lblCount.place(new QLabel(QStringLiteral("Count"), this), &scale_, 120, 4320, 570, 255);
    boxed(lblCount.get());

    lstFoundFiles.compose();

    lblDir.place(new QLabel(this), &scale_, 1260, 3960, 75, 195);
    lblScanned.place(new QLabel(QStringLiteral("Files Found:"), this), &scale_, 1230, 4080, 855,
                     195);
    lblCountx.place(new QLabel(QStringLiteral("Count"), this), &scale_, 1200, 4350, 570, 255);
    boxed(lblCountx.get());

    txtTip.place(new QLineEdit(QStringLiteral("Text1"), this), &scale_, 2280, 4290, 1245, 285);
    txtTip->setFont(regular);
    paintBackground(txtTip.get(), QPalette::Base, palette().color(QPalette::Button));

    for (QLabel* label :
         {lblFound.get(), lblCount.get(), lblDir.get(), lblScanned.get(), lblCountx.get()}) {
        label->setFont(regular);
        label->setTextFormat(Qt::PlainText);
    }
}

void FrmSeek::connectHandlers()
{
    connect(cmdExit.get(), &QPushButton::clicked, this, &FrmSeek::cmdExit_Click);
    connect(cmdSearch.get(), &QPushButton::clicked, this, &FrmSeek::cmdSearch_Click);
    connect(bAttribute->mnuDir, &QAction::triggered, this, &FrmSeek::mnuDir_Click);
    connect(bAttribute->mnuSelectAll, &QAction::triggered, &lstFoundFiles,
            &ResultColumns::mnuSelectAll_Click);
    connect(bAttribute->mnuUnselectAll, &QAction::triggered, &lstFoundFiles,
            &ResultColumns::mnuUnselectAll_Click);
    AttributePanel* panel = fraAttrib.get();
    connect(bAttribute->mnuReadOnly, &QAction::triggered, panel,
            &AttributePanel::mnuReadOnly_Click);
    connect(bAttribute->mnuHidden, &QAction::triggered, panel, &AttributePanel::mnuHidden_Click);
    connect(bAttribute->mnuSystem, &QAction::triggered, panel, &AttributePanel::mnuSystem_Click);
    connect(bAttribute->mnuArchive, &QAction::triggered, panel, &AttributePanel::mnuArchive_Click);
    connectBrowserHandlers();
    connectSearchSpecHandlers(*this);
    connectFileCommandHandlers();
}

} // namespace umbrix
