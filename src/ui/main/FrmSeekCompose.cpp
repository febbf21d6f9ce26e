// The main window's construction: its controls, their fonts and colours,
// the tab order and the connections to their handlers.

#include "fileops/FileSystemObject.h"
#include "platform/AppTitle.h"
#include "platform/Error.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/DriveListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/AttributeCheckBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/main/SearchCommand.h"
#include "ui/main/SearchHost.h"
#include "ui/main/SearchTextBox.h"
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

namespace umbrix {

namespace {

// The platform's sans serif at 8.25 pt.  The controls are measured for a
// narrow bitmap face; a condensed width lets every caption fit its control.
QFont windowFont(bool bold)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setStretch(QFont::Condensed);
    font.setBold(bold);
    return font;
}

constexpr QRgb kLightGrey = 0xC0C0C0;

void paintBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The boxed counter labels.
void boxed(QLabel* label)
{
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
}

} // namespace

FrmSeek::FrmSeek(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), host_(std::make_unique<SearchHost>(*this)),
      attributeHost_(std::make_unique<AttributeHost>(*this))
{
    setObjectName(QStringLiteral("frmSeek"));
    setWindowTitle(qs(AppTitle));
    scale_ = screenScale_ = TwipsScale::of(*this);
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
    composeBrowser();
    composeResults();
    composeAttributePanel();
    composeMenu();
    fitCaptions();

    QWidget* order[] = {
        txtSearchSpec.get(), filList.get(),    drvList.get(),          dirList.get(),
        chkSubDir.get(),     chkViewAll.get(), chkFolder.get(),        chkFiles.get(),
        cmdSearch.get(),     cmdExit.get(),    lstFoundFiles[0].get(), chkAttr[0].get(),
        chkAttr[1].get(),    chkAttr[2].get(), chkAttr[3].get(),       chkAttr[4].get(),
        txtTip.get()};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FrmSeek::composeBrowser()
{
    const QFont regular = windowFont(false);

    lblCriteria.place(new ClickLabel(QStringLiteral("Search &Criteria:"), this), &scale_, 1860, 240,
                      1080, 195);
    lblCriteria->setFont(regular);

    txtSearchSpec.place(new QLineEdit(QStringLiteral("*.*"), this), &scale_, 3090, 210, 2790, 285);
    lblCriteria->setBuddy(txtSearchSpec.get());

    filList.place(new FileListBox(this), &scale_, 120, 720, 2835, 2040);
    drvList.place(new DriveListBox(this), &scale_, 3090, 720, 2805, 315);
    dirList.place(new DirListBox(this), &scale_, 3090, 1140, 2835, 1440);

    fraOptions.place(new QGroupBox(QStringLiteral("Hidden options"), this), &scale_, 150, 2940,
                     4335, 945);
    fraOptions->setFont(regular);
    QGroupBox* options = fraOptions.get();
    chkSubDir.place(new QCheckBox(QStringLiteral("&Search in each subdirectory"), options), &scale_,
                    120, 270, 2565, 210);
    chkViewAll.place(new QCheckBox(QStringLiteral("&View not hidden file/dir also"), options),
                     &scale_, 120, 600, 2535, 210);
    chkFolder.place(new QCheckBox(QStringLiteral("&Directories only"), options), &scale_, 2820, 270,
                    1425, 210);
    chkFiles.place(new QCheckBox(QStringLiteral("&Files only"), options), &scale_, 2820, 600, 1365,
                   210);
    chkSubDir->setChecked(true);

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

    lstFoundFiles.push_back(makeResultListBox(6210, 180, 4770, 3180));

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

void FrmSeek::composeAttributePanel()
{
    const QFont regular = windowFont(false);

    fraAttrib.place(new QGroupBox(this), &scale_, 5010, 4020, 5805, 705);
    QGroupBox* frame = fraAttrib.get();
    Label1.place(new QLabel(QStringLiteral("Attribute file:"), frame), &scale_, 180, 390, 1110,
                 195);
    lblReadOnly.place(new ClickLabel(QStringLiteral(" &ReadOnly "), frame), &scale_, 1530, 180, 795,
                      195);
    lblHidden.place(new ClickLabel(QStringLiteral(" &Hidden "), frame), &scale_, 2490, 180, 600,
                    195);
    lblSystem.place(new ClickLabel(QStringLiteral(" &System "), frame), &scale_, 3300, 180, 600,
                    195);
    lblArchive.place(new ClickLabel(QStringLiteral(" &Archive "), frame), &scale_, 4140, 180, 630,
                     195);
    Label6.place(new QLabel(QStringLiteral("Directory"), frame), &scale_, 4950, 180, 630, 195);

    const float boxLeft[4] = {1770, 2640, 3480, 4320};
    for (std::size_t i = 0; i < 4; ++i)
        chkAttr[i].place(new AttributeCheckBox(frame), &scale_, boxLeft[i], 420, 195, 195);

    picdir.place(new QWidget(frame), &scale_, 5130, 420, 255, 225);
    picdir->setAutoFillBackground(true);
    paintBackground(picdir.get(), QPalette::Window, QColor(kLightGrey));
    chkAttr[4].place(new QCheckBox(picdir.get()), &scale_, 30, 0, 195, 195);
    // The indicator only shows the directory bit; a press on it belongs to
    // the panel, which answers with a beep.
    picdir->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkAttr[4]->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkAttr[4]->setFocusPolicy(Qt::NoFocus);

    // A caption's access key moves to its box, the next control in tab order.
    QLabel* captions[4] = {lblReadOnly.get(), lblHidden.get(), lblSystem.get(), lblArchive.get()};
    for (std::size_t i = 0; i < 4; ++i) {
        captions[i]->setBuddy(chkAttr[i].get());
        captions[i]->setFont(regular);
        // The caption of the box that has the focus is highlighted.
        captions[i]->setAutoFillBackground(true);
        paintBackground(captions[i], QPalette::Window, palette().color(QPalette::Button));
    }
    Label1->setFont(regular);
    Label6->setFont(regular);
    // The boxes are a shade smaller than the style's indicator; it is drawn
    // to fit them rather than cut off.
    const int indicator = scale_.toPixelsY(195) - 1;
    const QString fitted =
        QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }").arg(indicator);
    for (auto& box : chkAttr) {
        box->setTristate(true);
        box->setFont(regular);
        box->setStyleSheet(fitted);
    }
}

void FrmSeek::composeMenu()
{
    bAttribute = new QMenu(QStringLiteral("Attribute"), this);
    mnuDir = bAttribute->addAction(QStringLiteral("{Directory}"));
    mnuDir->setCheckable(true);
    s1 = bAttribute->addSeparator();
    QMenu* remove = bAttribute->addMenu(QStringLiteral("Remove Attribute"));
    mnuRemAttr = remove->menuAction();
    mnuReadOnly = remove->addAction(QStringLiteral("Read-only"));
    mnuHidden = remove->addAction(QStringLiteral("Hidden"));
    mnuSystem = remove->addAction(QStringLiteral("System"));
    mnuArchive = remove->addAction(QStringLiteral("Archive"));
    s2 = bAttribute->addSeparator();
    mnuDelete = bAttribute->addAction(QStringLiteral("Delete"));
    mnuCopy = bAttribute->addAction(QStringLiteral("Copy..."));
    s3 = bAttribute->addSeparator();
    mnuSelectAll = bAttribute->addAction(QStringLiteral("Select All"));
    mnuUnselectAll = bAttribute->addAction(QStringLiteral("Unselect All"));
}

Placed<ResultListBox> FrmSeek::makeResultListBox(float left, float top, float width, float height)
{
    Placed<ResultListBox> box;
    auto* list = new ResultListBox(this);
    list->hide();
    box.place(list, &scale_, left, top, width, height);
    connectResultBox(*list, static_cast<int16_t>(lstFoundFiles.size()));
    if (!lstFoundFiles.empty())
        setTabOrder(lstFoundFiles.back().get(), list);
    return box;
}

void FrmSeek::connectHandlers()
{
    connect(cmdExit.get(), &QPushButton::clicked, this, &FrmSeek::cmdExit_Click);
    connect(cmdSearch.get(), &QPushButton::clicked, this, &FrmSeek::cmdSearch_Click);
    connect(mnuDir, &QAction::triggered, this, &FrmSeek::mnuDir_Click);
    connect(mnuSelectAll, &QAction::triggered, this, &FrmSeek::mnuSelectAll_Click);
    connect(mnuUnselectAll, &QAction::triggered, this, &FrmSeek::mnuUnselectAll_Click);
    connectBrowserHandlers();
    connectSearchSpecHandlers(*this);
    connectAttributeHandlers();
    connectFileCommandHandlers();
}

} // namespace umbrix
