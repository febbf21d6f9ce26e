// The attribute panel and the attribute commands: the window's side.  The
// work over the rows is fileops/AttributeChange and search/SelectionSummary.

#include "ui/main/AttributePanel.h"

#include "fileops/AttributeChange.h"
#include "platform/AppTitle.h"
#include "platform/AttributeStore.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/PathText.h"
#include "search/SelectionSummary.h"
#include "ui/controls/DirListBox.h"
#include "ui/controls/FileListBox.h"
#include "ui/main/AttributeCheckBox.h"
#include "ui/main/AttributeHost.h"
#include "ui/main/AttributeMenu.h"
#include "ui/main/CompletionMessage.h"
#include "ui/main/EventCodes.h"
#include "ui/main/FileCommandScope.h"
#include "ui/main/FrmSeek.h"
#include "ui/main/WindowLook.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>

namespace umbrix {

namespace {

constexpr QRgb kFocusYellow = qRgb(255, 255, 128);

Qt::CheckState checkStateOf(CheckValue value)
{
    switch (value) {
    case CheckValue::Checked:
        return Qt::Checked;
    case CheckValue::Grayed:
        return Qt::PartiallyChecked;
    case CheckValue::Unchecked:
        break;
    }
    return Qt::Unchecked;
}

CheckValue checkedIf(bool on)
{
    return on ? CheckValue::Checked : CheckValue::Unchecked;
}

} // namespace

AttributePanel::AttributePanel(FrmSeek& window, const TwipsScale* scale, QWidget* parent)
    : QGroupBox(parent), window_(window), scale_(scale)
{
    setObjectName(QStringLiteral("fraAttrib"));
    const QFont regular = windowFont(false);
    Label1.place(new QLabel(QStringLiteral("Attribute file:"), this), scale, 180, 390, 1110, 195);
    lblReadOnly.place(new ClickLabel(QStringLiteral(" &ReadOnly "), this), scale, 1530, 180, 795,
                      195);
    lblHidden.place(new ClickLabel(QStringLiteral(" &Hidden "), this), scale, 2490, 180, 600, 195);
    lblSystem.place(new ClickLabel(QStringLiteral(" &System "), this), scale, 3300, 180, 600, 195);
    lblArchive.place(new ClickLabel(QStringLiteral(" &Archive "), this), scale, 4140, 180, 630,
                     195);
    Label6.place(new QLabel(QStringLiteral("Directory"), this), scale, 4950, 180, 630, 195);

    const float boxLeft[4] = {1770, 2640, 3480, 4320};
    for (std::size_t i = 0; i < 4; ++i)
        chkAttr[i].place(new AttributeCheckBox(this), scale, boxLeft[i], 420, 195, 195);

    picdir.place(new QWidget(this), scale, 5130, 420, 255, 225);
    picdir->setAutoFillBackground(true);
    paintBackground(picdir.get(), QPalette::Window, QColor(kLightGrey));
    chkAttr[4].place(new QCheckBox(picdir.get()), scale, 30, 0, 195, 195);
    // The indicator only shows the directory bit; a press on it belongs to
    // the panel, which answers with a beep.
    picdir->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkAttr[4]->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkAttr[4]->setFocusPolicy(Qt::NoFocus);

    // A caption's access key moves to its box, the next control in tab order.
    const std::array<ClickLabel*, 4> captions = attributeCaptions();
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
    const int indicator = scale->toPixelsY(195) - 1;
    const QString fitted =
        QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }").arg(indicator);
    for (std::size_t i = 0; i < chkAttr.size(); ++i) {
        QCheckBox* box = chkAttr[i].get();
        box->setObjectName(QStringLiteral("chkAttr%1").arg(i));
        box->setTristate(true);
        box->setFont(regular);
        box->setStyleSheet(fitted);
        box->installEventFilter(this);
        connect(box, &QCheckBox::clicked, this,
                [this, i] { chkAttr_Click(static_cast<int16_t>(i)); });
    }
    lblReadOnly->setObjectName(QStringLiteral("lblReadOnly"));
    lblHidden->setObjectName(QStringLiteral("lblHidden"));
    lblSystem->setObjectName(QStringLiteral("lblSystem"));
    lblArchive->setObjectName(QStringLiteral("lblArchive"));
    connect(lblReadOnly.get(), &ClickLabel::Click, this, &AttributePanel::lblReadOnly_Click);
    connect(lblHidden.get(), &ClickLabel::Click, this, &AttributePanel::lblHidden_Click);
    connect(lblSystem.get(), &ClickLabel::Click, this, &AttributePanel::lblSystem_Click);
    connect(lblArchive.get(), &ClickLabel::Click, this, &AttributePanel::lblArchive_Click);
}

template <class Fn> void AttributePanel::forEachPlaced(Fn&& fn)
{
    fn(Label1), fn(lblReadOnly), fn(lblHidden), fn(lblSystem), fn(lblArchive), fn(Label6);
    fn(picdir);
    for (auto& box : chkAttr)
        fn(box);
}

void AttributePanel::applyScale()
{
    forEachPlaced([](auto& control) { control.apply(); });
}

float AttributePanel::captionFactor(const TwipsScale& screen) const
{
    float factor = 1.0f;
    const auto need = [&](const auto& control) {
        const float twips = control.Width();
        if (twips > 0)
            factor = std::max(factor,
                              static_cast<float>(control->sizeHint().width()) * screen.x / twips);
    };
    need(Label1);
    need(lblReadOnly);
    need(lblHidden);
    need(lblSystem);
    need(lblArchive);
    need(Label6);
    return factor;
}

std::array<QWidget*, 5> AttributePanel::tabOrder() const
{
    return {chkAttr[0].get(), chkAttr[1].get(), chkAttr[2].get(), chkAttr[3].get(),
            chkAttr[4].get()};
}

bool AttributePanel::eventFilter(QObject* watched, QEvent* event)
{
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
    return QGroupBox::eventFilter(watched, event);
}

void AttributePanel::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    fraAttrib_MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
                        static_cast<float>(at.x()) * scale_->x,
                        static_cast<float>(at.y()) * scale_->y);
    QGroupBox::mousePressEvent(event);
}

void AttributePanel::fraAttrib_MouseDown(int button, int shift, float x, float y)
{
    if (button == 1 && shift == 0 && x >= 5175 && x <= 5340 && y >= 435 && y <= 600)
        Beep();
}

CheckValue AttributePanel::value(int box) const
{
    switch (chkAttr[static_cast<std::size_t>(box)]->checkState()) {
    case Qt::Checked:
        return CheckValue::Checked;
    case Qt::PartiallyChecked:
        return CheckValue::Grayed;
    default:
        return CheckValue::Unchecked;
    }
}

void AttributePanel::setValue(int box, CheckValue value)
{
    chkAttr[static_cast<std::size_t>(box)]->setCheckState(checkStateOf(value));
}

std::array<ClickLabel*, 4> AttributePanel::attributeCaptions() const
{
    return {lblReadOnly.get(), lblHidden.get(), lblSystem.get(), lblArchive.get()};
}

bool AttributePanel::commandRunning() const
{
    return commands_ > 0 || window_.fileCommandRunning();
}

bool AttributePanel::ShowEntryAttributes(const std::string& path)
{
    AppState& state = window_.state();
    AttributeMenu& menu = *window_.bAttribute;
    state.Busy = true;
    try {
        bool reparsePoint = false;
        const auto a = static_cast<uint32_t>(GetEntryAttributes(path, false, reparsePoint));
        for (int16_t i = 0; i < 4; ++i) {
            const bool has = (a & attributeIndexBit(i)) != 0;
            menu.removeItem(i)->setEnabled(has);
            setValue(i, checkedIf(has));
        }
        const bool directory = (a & platform::Attr::Directory) != 0;
        setValue(4, checkedIf(directory));
        menu.mnuDir->setChecked(directory);
        state.Busy = false;
        return true;
    } catch (const Error& e) {
        MsgBox(QStringLiteral("Unable to access to the file or directory ''") +
                   qs(displayText(path)) + QStringLiteral("''\r\r") + qs(e.description),
               MsgBoxStyle::Critical + MsgBoxStyle::OKOnly, qs(AppTitle), &window_);
        menu.mnuDir->setChecked(false);
        state.Busy = false;
        ClearAttributeBoxes();
        return false;
    }
}

void AttributePanel::ClearAttributeBoxes()
{
    for (int i = 0; i < static_cast<int>(chkAttr.size()); ++i)
        setValue(i, CheckValue::Unchecked);
}

void AttributePanel::ShowSelectionAttributes(int16_t L)
{
    const FileCommandScope running(commands_);
    AppState& state = window_.state();
    state.Busy = true;
    AttributeHost& host = window_.attributeHost();
    host.begin();
    const ResultBoxRows rows(window_.lstFoundFiles.box(L));
    SelectionSummary summary;
    const CommandEnd end = summarizeSelection(host, rows, summary);
    if (end == CommandEnd::Closing)
        return;
    if (end == CommandEnd::Finished && !window_.CancelAction()) {
        for (std::size_t a = 0; a < chkAttr.size(); ++a)
            setValue(static_cast<int>(a), static_cast<CheckValue>(std::abs(summary.states()[a])));
    }
    host.end();
    window_.setCaption(std::string(AppTitle));
    state.Busy = false;
    window_.setCancelAction(false);
}

void AttributePanel::RemoveAttributeFromSelection(int16_t index)
{
    const FileCommandScope running(commands_);
    const UnseenFailures unseen;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AttributeHost& host = window_.attributeHost();
    host.begin();
    const ResultBoxRows rows(window_.lstFoundFiles.box(window_.lstFoundFiles.CurrentIndex()));
    if (umbrix::RemoveAttributeFromSelection(host, rows, index) == CommandEnd::Closing)
        return;
    host.end();
    window_.setCaption(std::string(AppTitle));
    window_.setCancelAction(false);
    {
        const BusyScope busy(window_.state());
        setValue(index, CheckValue::Unchecked);
    }
    QApplication::restoreOverrideCursor();
    showCompletion(&window_, {}, 0, qs(AppTitle), unseen);
}

void AttributePanel::chkAttr_Click(int16_t Index)
{
    if (Index < 0 || Index >= static_cast<int16_t>(chkAttr.size()))
        return;
    AppState& state = window_.state();
    if (!chkAttr[static_cast<std::size_t>(Index)]->isVisible() || state.Busy)
        return;
    ResultColumns& columns = window_.lstFoundFiles;
    ResultListBox& L = columns.box(columns.CurrentIndex());
    if (L.SelCount() == 0 || L.ListIndex() == -1) {
        const BusyScope busy(state);
        Beep();
        setValue(Index, CheckValue::Unchecked);
        return;
    }

    const FileCommandScope running(commands_);
    const UnseenFailures unseen;
    const bool checked = value(Index) == CheckValue::Checked;
    const int16_t action = checked ? AttributeAction::Set : AttributeAction::Clear;
    const CheckValue restore = checkedIf(!checked);
    const bool offerCancel = window_.SourceList == SourceKind::Listbox;
    bool changed = false;
    AttributeHost& host = window_.attributeHost();
    host.begin();

    CommandEnd end = CommandEnd::Finished;
    if (columns.TotalListbox() > 1) {
        for (int k = 0; k < columns.TotalListbox(); ++k) {
            const ResultBoxRows rows(columns.box(k));
            end = changeSelectedRows(host, rows, Index, action, offerCancel, changed);
            if (end == CommandEnd::Finished)
                end = yieldAndCheckStop(host);
            if (end != CommandEnd::Finished)
                break;
        }
    } else {
        const ResultBoxRows rows(L);
        end = changeSelectedRows(host, rows, Index, action, offerCancel, changed);
    }

    if (end == CommandEnd::Closing || state.Closing)
        return;
    if (end == CommandEnd::Abandoned) {
        const BusyScope busy(state);
        setValue(Index, restore);
    } else if (end == CommandEnd::Finished && !window_.CancelAction() && !changed) {
        // Nothing was written: a box over several rows cannot say more than
        // "some"; over one row it goes back to what it showed.
        const BusyScope busy(state);
        setValue(Index, L.SelCount() > 1 ? CheckValue::Grayed : restore);
    }
    host.end();
    window_.setCaption(std::string(AppTitle));
    window_.setCancelAction(false);
    showCompletion(&window_, {}, 0, qs(AppTitle), unseen);
}

void AttributePanel::chkAttr_GotFocus(int16_t Index)
{
    if (Index > 3)
        return;
    const std::array<ClickLabel*, 4> captions = attributeCaptions();
    for (int16_t i = 0; i < 4; ++i)
        paintBackground(captions[static_cast<std::size_t>(i)], QPalette::Window,
                        i == Index ? QColor(kFocusYellow) : palette().color(QPalette::Button));
}

void AttributePanel::chkAttr_LostFocus(int16_t)
{
    for (ClickLabel* caption : attributeCaptions())
        paintBackground(caption, QPalette::Window, palette().color(QPalette::Button));
}

void AttributePanel::toggleAttributeByLabel(int16_t i)
{
    setValue(i, checkedIf(value(i) != CheckValue::Checked));
    chkAttr_Click(i);
}

void AttributePanel::lblReadOnly_Click()
{
    toggleAttributeByLabel(0);
}

void AttributePanel::lblHidden_Click()
{
    toggleAttributeByLabel(1);
}

void AttributePanel::lblSystem_Click()
{
    toggleAttributeByLabel(2);
}

void AttributePanel::lblArchive_Click()
{
    toggleAttributeByLabel(3);
}

void AttributePanel::removeAttributeFromSource(int16_t index, const char* title)
{
    if (window_.SourceList == SourceKind::Listbox) {
        RemoveAttributeFromSelection(index);
        return;
    }
    const BrowserPanel& browser = window_.browser;
    std::string path;
    if (window_.SourceList == SourceKind::Dirbox) {
        path = browser.dirList->List(browser.dirList->ListIndex());
    } else if (window_.SourceList == SourceKind::Filebox) {
        path = browser.filList->Path();
        if (path.empty() || path.back() != '/')
            path += '/';
        path += browser.filList->List(browser.filList->ListIndex());
    }
    try {
        uint32_t word = 0;
        if (const int err = platform::queryAttributes(path, word))
            throwErrno(err);
        // Only the attribute named goes: one the entry does not have is not
        // taken from the others.
        const uint32_t cleared = word & platform::Attr::Writable & ~attributeIndexBit(index);
        if (const int err = platform::storeAttributes(path, cleared))
            throwErrno(err);
        ShowEntryAttributes(path);
    } catch (const Error& e) {
        MsgBox(qs(e.description), MsgBoxStyle::Exclamation + MsgBoxStyle::OKOnly,
               QString::fromLatin1(title), &window_);
    }
}

void AttributePanel::mnuReadOnly_Click()
{
    removeAttributeFromSource(0, "Read-only attribute");
}

void AttributePanel::mnuHidden_Click()
{
    removeAttributeFromSource(1, "Hidden attribute");
}

void AttributePanel::mnuSystem_Click()
{
    removeAttributeFromSource(2, "System attribute");
}

void AttributePanel::mnuArchive_Click()
{
    removeAttributeFromSource(3, "Archive attribute");
}

} // namespace umbrix
