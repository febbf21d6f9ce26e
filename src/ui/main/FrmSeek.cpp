#include "ui/main/FrmSeek.h"

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

// --- The window in twips -----------------------------------------------------

float FrmSeek::Width() const
{
    return static_cast<float>(frameGeometry().width()) * scale_.x;
}

// The window menu's bar is left out of the heights the program sets and reads,
// as the system menu it stands for took no room: every height keeps the client
// area it always gave.
float FrmSeek::Height() const
{
    return static_cast<float>(frameGeometry().height() - contentsMargins().top()) * scale_.y;
}

float FrmSeek::ScaleWidth() const
{
    return static_cast<float>(width()) * scale_.x;
}

float FrmSeek::ScaleHeight() const
{
    return static_cast<float>(contentsRect().height()) * scale_.y;
}

void FrmSeek::setWidth(float outer)
{
    if (!isVisible())
        pendingOuterWidth_ = outer;
    const int frame = frameGeometry().width() - width();
    resize(std::max(0, scale_.toPixelsX(outer) - frame), height());
}

void FrmSeek::setHeight(float outer)
{
    if (!isVisible())
        pendingOuterHeight_ = outer;
    const int frame = frameGeometry().height() - height();
    resize(width(), std::max(0, scale_.toPixelsY(outer) - frame) + contentsMargins().top());
}

void FrmSeek::setLeft(float left)
{
    move(scale_.toPixelsX(left), frameGeometry().y());
}

int FrmSeek::WindowState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void FrmSeek::setWindowStateValue(int state)
{
    switch (state) {
    case 1:
        setWindowState((windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen)) |
                       Qt::WindowMinimized);
        break;
    case 2:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    default:
        setWindowState(windowState() &
                       ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        break;
    }
}

void FrmSeek::setCaption(const std::string& caption)
{
    setWindowTitle(qs(caption));
}

float FrmSeek::TextWidth(const QString& text) const
{
    return static_cast<float>(QFontMetricsF(font()).horizontalAdvance(text)) * scale_.x;
}

void FrmSeek::setAutoSizeCaption(Placed<QLabel>& label, const QString& caption)
{
    label->setText(caption);
    const QFontMetricsF metrics(label->font());
    label.setWidth(static_cast<float>(std::ceil(metrics.horizontalAdvance(caption))) * scale_.x);
}

// --- Window handlers -----------------------------------------------------------

void FrmSeek::Show()
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    show();
    // The frame is known only once the window is shown; the outer size asked
    // for before then is given again now that it can be met.
    if (pendingOuterWidth_ >= 0.0f)
        setWidth(std::exchange(pendingOuterWidth_, -1.0f));
    if (pendingOuterHeight_ >= 0.0f)
        setHeight(std::exchange(pendingOuterHeight_, -1.0f));
}

void FrmSeek::Form_Load()
{
    LeaveSearchState(*this);
}

bool FrmSeek::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && state_.Searching) {
            Beep();
            state_.CancelSearch = true;
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::AltModifier) {
            windowMenu->open();
            return true;
        }
        // Enter presses the focused command button, as Space does.  A held
        // key does not press it again: the second press could be Exit.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !key->isAutoRepeat()) {
            auto* button = qobject_cast<QPushButton*>(watched);
            if (button && button->hasFocus() && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (int16_t i = 0; i < static_cast<int16_t>(chkAttr.size()); ++i) {
            if (watched != chkAttr[static_cast<std::size_t>(i)].get())
                continue;
            if (event->type() == QEvent::FocusIn)
                chkAttr_GotFocus(i);
            else
                chkAttr_LostFocus(i);
        }
    }
    if (watched == fraAttrib.get() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = mouse->position();
        fraAttrib_MouseDown(buttonCode(mouse->button()), shiftCode(mouse->modifiers()),
                            static_cast<float>(at.x()) * scale_.x,
                            static_cast<float>(at.y()) * scale_.y);
    }
    return QWidget::eventFilter(watched, event);
}

void FrmSeek::cmdExit_Click()
{
    // The button is Cancel while a search runs.
    if (view_ == View::Searching)
        state_.Searching = false;
    else
        ExitApplication(*this);
}

void FrmSeek::cmdSearch_Click()
{
    runSearchCommand(*this);
}

void FrmSeek::Unload()
{
    unloadingByProgram_ = true;
    close();
    unloadingByProgram_ = false;
}

void FrmSeek::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    QueryUnload(cancel, unloadingByProgram_ ? 1 : 0);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void FrmSeek::QueryUnload(bool& cancel, int unloadMode)
{
    if (state_.Searching) {
        Beep();
        cancel = true;
        return;
    }
    if (unloadMode != 1)
        state_.Closing = true;
    if (state_.Closing) {
        unloadLogViewer();
        unloadAboutWindow();
        FileSystem.reset();
        UnhookSystemMenu(this);
    }
}

void FrmSeek::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmSeek::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowStateChange:
        Form_Resize();
        break;
    case QEvent::ContentsRectChange:
        // The window menu's bar changed its height: the client area moved.
        forEachPlaced([](auto& control) {
            if (control)
                control.apply();
        });
        break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
        // The children take the new font or style sheet as they are polished,
        // after this event: measure them once that is done.
        QTimer::singleShot(0, this, &FrmSeek::fitCaptions);
        break;
    default:
        break;
    }
}

template <class Fn> void FrmSeek::forEachPlaced(Fn&& fn)
{
    fn(lblCriteria), fn(txtSearchSpec), fn(filList), fn(drvList), fn(dirList), fn(fraOptions);
    fn(chkSubDir), fn(chkViewAll), fn(chkFolder), fn(chkFiles), fn(cmdSearch), fn(cmdExit);
    fn(lblFound), fn(lblCount), fn(fraAttrib), fn(Label1), fn(lblReadOnly), fn(lblHidden);
    fn(lblSystem), fn(lblArchive), fn(Label6), fn(picdir), fn(lblDir), fn(lblScanned);
    fn(lblCountx), fn(txtTip);
    for (auto& box : lstFoundFiles)
        fn(box);
    for (auto& box : chkAttr)
        fn(box);
}

void FrmSeek::fitCaptions()
{
    // How much wider than its twips the widest caption needs to be, at the
    // screen's own scale.  Text that needs more room than the layout was
    // measured for (a larger font, a style with larger check boxes) makes
    // the whole window larger in proportion: every control keeps its twips
    // and its place among the others, and none can come to cover another.
    float factor = 1.0f;
    const auto need = [&](auto& control) {
        const float twips = control.Width();
        if (twips > 0)
            factor = std::max(factor, static_cast<float>(control->sizeHint().width()) *
                                          screenScale_.x / twips);
    };
    need(lblCriteria);
    for (Placed<QCheckBox>* box : {&chkSubDir, &chkViewAll, &chkFolder, &chkFiles})
        need(*box);
    need(cmdSearch);
    need(cmdExit);
    need(Label1);
    for (Placed<ClickLabel>* label : {&lblReadOnly, &lblHidden, &lblSystem, &lblArchive})
        need(*label);
    need(Label6);
    factor = std::min(factor, 4.0f);

    const TwipsScale wanted{screenScale_.x / factor, screenScale_.y / factor};
    if (wanted.x == scale_.x && wanted.y == scale_.y)
        return;
    const float width = Width();
    const float height = Height();
    scale_ = wanted;
    forEachPlaced([](auto& control) { control.apply(); });
    setWidth(width);
    setHeight(height);
}

void FrmSeek::fraAttrib_MouseDown(int button, int shift, float x, float y)
{
    if (button == 1 && shift == 0 && x >= 5175 && x <= 5340 && y >= 435 && y <= 600)
        Beep();
}

void FrmSeek::mnuDir_Click()
{
    Beep();
}

bool FrmSeek::SetObject(const std::function<std::unique_ptr<FileSystemObject>()>& create)
{
    std::string description;
    try {
        FileSystem = create ? create() : std::make_unique<FileSystemObject>();
        if (FileSystem)
            return true;
        description = "Object not created";
    } catch (const Error& e) {
        description = e.description;
    } catch (const std::exception& e) {
        description = e.what();
    }
    MsgBox(QStringLiteral("SCRRUN.DLL\r\r") + qs(description), MsgBoxStyle::Critical, qs(AppTitle));
    return false;
}

void ExitApplication(FrmSeek& window)
{
    window.state().Closing = true;
    window.cmdExit->setEnabled(false);
    unloadLogViewer();
    window.Unload();
}

} // namespace umbrix
