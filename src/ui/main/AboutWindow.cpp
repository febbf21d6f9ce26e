#include "ui/main/AboutWindow.h"

#include "platform/AppTitle.h"
#include "ui/main/AboutTexts.h"
#include "ui/main/LogViewer.h"
#include "ui/main/LogViewerInstance.h"
#include "ui/services/Interaction.h"
#include "ui/services/QtText.h"
#include "ui/services/TopMostMsgBox.h"
#include "ui/services/UrlOpener.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <memory>

namespace umbrix {
namespace {

QPointer<AboutWindow>& instance()
{
    static QPointer<AboutWindow> window;
    return window;
}

QFont arial(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

template <class W>
W* placed(W* widget, const TwipsScale& scale, float left, float top, float width = -1.0f,
          float height = -1.0f)
{
    if (width < 0.0f) {
        widget->move(scale.toPixelsX(left), scale.toPixelsY(top));
        return widget;
    }
    widget->setGeometry(scale.toPixelsX(left), scale.toPixelsY(top), scale.toPixelsX(width),
                        scale.toPixelsY(height));
    return widget;
}

void setUnderline(QLabel* label, bool on)
{
    QFont font = label->font();
    if (font.underline() != on) {
        font.setUnderline(on);
        label->setFont(font);
    }
}

QLabel* makeLink(QWidget* parent, const TwipsScale& scale, float top)
{
    auto* link = placed(new QLabel(parent), scale, 885, top);
    link->setFont(arial(9));
    link->setTextFormat(Qt::PlainText);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    link->setPalette(palette);
    link->setMouseTracking(true);
    return link;
}

void setLinkCaption(QLabel* link, const QString& caption)
{
    link->setText(caption);
    link->adjustSize();
    link->setVisible(true);
}

} // namespace

AboutWindow::AboutWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fabout"));
    scale_ = TwipsScale::of(*this);
    setFont(arial(8.25));
    setFixedSize(scale_.toPixelsX(6555), scale_.toPixelsY(3180));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    setPalette(palette);
    setAutoFillBackground(true);

    Frame1 = placed(new QFrame(this), scale_, 180, 105, 6225, 2895);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setMouseTracking(true);
    imgIcon = placed(new QLabel(Frame1), scale_, 270, 480, 480, 480);
    imgIcon->setAlignment(Qt::AlignCenter);
    lblAbout = placed(new QLabel(Frame1), scale_, 885, 210, 5190, 2220);
    lblAbout->setFont(arial(9.75));
    lblAbout->setTextFormat(Qt::PlainText);
    lblAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAbout->setMouseTracking(true);
    // The links lie over the About text, at the places its space runs keep.
    lblmailto = makeLink(Frame1, scale_, 1905);
    lblweb = makeLink(Frame1, scale_, 2145);
    btnOK = placed(new QPushButton(QStringLiteral("OK"), this), scale_, 2730, 2595, 1095, 345);
    btnOK->setFont(arial(9.75));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    for (QWidget* watched : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(lblAbout),
                             static_cast<QWidget*>(lblmailto), static_cast<QWidget*>(lblweb)})
        watched->installEventFilter(this);

    // Load
    setWindowTitle(QStringLiteral("About"));
    loaded_ = true;
    setLinkCaption(lblmailto, qs(kAuthorEMail));
    setLinkCaption(lblweb, qs(WebAddressText()));
    centre();
}

void AboutWindow::centre()
{
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        const QRect outer = frameGeometry();
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
}

void AboutWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The frame is known only now; the load's centring could not count it.
    centre();
}

AboutWindow::~AboutWindow() = default;

void AboutWindow::setAboutCaption(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lblAbout->setText(shown);
}

void AboutWindow::done(int result)
{
    loaded_ = false;
    QDialog::done(result);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    // A link keeps its mouse events: passed on to the frame below, a move
    // would take the underline away again.
    case QEvent::MouseMove:
        if (watched == lblmailto)
            lblmailto_MouseMove();
        else if (watched == lblweb)
            lblweb_MouseMove();
        else
            linksPlain();
        return watched == lblmailto || watched == lblweb;
    case QEvent::MouseButtonPress:
        // Any button; the result is of no use to a person who clicked a link.
        if (watched == lblmailto)
            OpenDocument(nullptr, QStringLiteral("mailto:") + qs(kAuthorEMail));
        else if (watched == lblweb)
            OpenDocument(nullptr, qs(kWebAddress));
        return watched == lblmailto || watched == lblweb;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::lblmailto_MouseMove()
{
    HandCursorOff(lblweb);
    HandCursorOn(lblmailto);
    setUnderline(lblweb, false);
    setUnderline(lblmailto, true);
}

void AboutWindow::lblweb_MouseMove()
{
    HandCursorOff(lblmailto);
    HandCursorOn(lblweb);
    setUnderline(lblmailto, false);
    setUnderline(lblweb, true);
}

void AboutWindow::linksPlain()
{
    setUnderline(lblmailto, false);
    setUnderline(lblweb, false);
}

AboutWindow* aboutWindow()
{
    return instance().data();
}

void unloadAboutWindow()
{
    if (AboutWindow* window = aboutWindow())
        window->close();
}

void ShowAbout(QWidget* mainWindow)
{
    SetNotTopMost(logViewer());
    QIcon icon = mainWindow ? mainWindow->windowIcon() : QIcon();
    if (icon.isNull())
        icon = QIcon::fromTheme(QGuiApplication::desktopFileName());
    FillAboutWindow(icon);
    SetTopMost(logViewer());
}

void FillAboutWindow(const QIcon& icon)
{
    const QString text =
        qs(AboutText(AppTitle, UMBRIX_VERSION_MAJOR, UMBRIX_VERSION_MINOR, UMBRIX_VERSION_PATCH));
    // Loaded afresh each time, so it is centred again wherever it was moved.
    const auto window = std::make_unique<AboutWindow>();
    instance() = window.get();
    window->setAboutCaption(text);
    // A missing icon leaves the place empty; the window still opens.
    window->imgIcon->setPixmap(icon.pixmap(window->imgIcon->size()));
    Beep();
    setLinkCaption(window->lblmailto, qs(kAuthorEMail));
    setLinkCaption(window->lblweb, qs(kWebAddress));
    window->exec();
}

QString OpenDocument(QWidget* window, const QString& target)
{
    Q_UNUSED(window);
    // The shell's result codes, so that the texts stay the program's own:
    // 2 nothing to open, 31 no program for it, 42 (any value above 32) done.
    const QUrl url = target.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(target)
                                                         : QUrl(target, QUrl::StrictMode);
    int32_t code = 2;
    if (url.isValid() && !url.isRelative())
        code = OpenUrl(url) ? 42 : 31;
    return qs(ShellResultText(code));
}

void HandCursorOn(QLabel* label)
{
    label->setCursor(Qt::PointingHandCursor);
}

void HandCursorOff(QLabel* label)
{
    label->unsetCursor();
}

} // namespace umbrix
