#include "ui/main/AboutWindow.h"

#include "ui/main/AboutTexts.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/WindowMenu.h"
#include "ui/services/QtText.h"
#include "ui/services/UrlOpener.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace umbrix {
namespace {

class AboutWindowTest : public test::MainWindowFixture {
protected:
    // Chooses "About..." and runs `check` inside the modal window, which is
    // closed afterwards whatever `check` found.
    void withAbout(const std::function<void(AboutWindow&)>& check)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (AboutWindow* about = aboutWindow()) {
                opened = true;
                check(*about);
            }
            unloadAboutWindow();
        });
        window->windowMenu->item(SystemCommand::About)->trigger();
        EXPECT_TRUE(opened);
        EXPECT_EQ(aboutWindow(), nullptr);
    }
    static void moveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    static bool hand(const QLabel* link)
    {
        return link->testAttribute(Qt::WA_SetCursor) &&
               link->cursor().shape() == Qt::PointingHandCursor;
    }
    static bool lit(const QLabel* link) { return link->font().underline(); }
    static QPoint centred(const QWidget& w)
    {
        const QRect screen = w.screen()->geometry();
        return {screen.x() + (screen.width() - w.frameGeometry().width()) / 2,
                screen.y() + (screen.height() - w.frameGeometry().height()) / 2};
    }

    ScopedUrlOpener urls;
};

TEST_F(AboutWindowTest, AModalCentredDialogWithTheTextTheLinksAndABeep)
{
    withAbout([&](AboutWindow& about) {
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_TRUE(about.Loaded());
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
        QString text = QString::fromStdString(AboutText("Umbrix", 0, 1, 0));
        EXPECT_EQ(about.lblAbout->text(), text.replace(QLatin1Char('\r'), QLatin1Char('\n')));
        EXPECT_EQ(about.lblmailto->text().toStdString(), kAuthorEMail);
        EXPECT_EQ(about.lblweb->text().toStdString(), kWebAddress) << "the address it opens";
        EXPECT_EQ(about.lblweb->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_TRUE(about.lblweb->isVisible());
        EXPECT_TRUE(about.lblAbout->geometry().contains(about.lblmailto->geometry()));
        EXPECT_TRUE(about.lblAbout->geometry().contains(about.lblweb->geometry()));
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about));
        about.move(0, 0);
    });
    EXPECT_EQ(beeps.count(), 1) << "the information beep";
    withAbout([&](AboutWindow& about) {
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about)) << "centred again";
        about.btnOK->click();
        EXPECT_FALSE(about.Loaded());
        EXPECT_FALSE(about.isVisible());
    });
}

TEST_F(AboutWindowTest, ThePointerLightsTheLinkUnderItAndAnyButtonOpensIt)
{
    withAbout([&](AboutWindow& about) {
        EXPECT_FALSE(lit(about.lblmailto) || lit(about.lblweb));
        // Only the link under the pointer is lit, and shows the hand.
        for (QWidget* over : std::initializer_list<QWidget*>{
                 about.lblmailto, about.lblweb, about.Frame1, about.lblmailto, about.lblAbout}) {
            moveOver(over);
            for (QLabel* link : {about.lblmailto, about.lblweb})
                EXPECT_EQ(lit(link), link == over) << link->text().toStdString();
            if (over != about.Frame1 && over != about.lblAbout) {
                EXPECT_TRUE(hand(qobject_cast<QLabel*>(over)));
            }
        }

        QTest::mousePress(about.lblmailto, Qt::LeftButton);
        QTest::mousePress(about.lblweb, Qt::RightButton);
        QTest::mousePress(about.lblAbout, Qt::LeftButton);
        EXPECT_TRUE(about.isVisible());
    });
    EXPECT_EQ(urls.urls(), (std::vector<QUrl>{QUrl(QStringLiteral("mailto:") + qs(kAuthorEMail)),
                                              QUrl(qs(kWebAddress))}));
}

TEST_F(AboutWindowTest, OpenDocumentSaysWhatWentWrong)
{
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("mailto:hi@example.org")), QString());
    const ScopedUrlOpener refusing([](const QUrl&) { return false; });
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("/tmp/a file")),
              QStringLiteral("Missing association type of file."));
    EXPECT_EQ(refusing.urls(),
              std::vector<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/a file"))});
    for (const char* nothing : {"", "no scheme"})
        EXPECT_EQ(OpenDocument(nullptr, QString::fromUtf8(nothing)),
                  QStringLiteral("File not found."));
}

// The shown viewer drops behind the dialog and is on top again afterwards;
// leaving the program closes the dialog.
TEST_F(AboutWindowTest, TheViewerMakesWayAndExitClosesTheDialog)
{
    state.LogErrors = true;
    logViewer()->Log(QStringLiteral("Path: \"/x\""));
    const auto onTop = [] { return logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    ASSERT_TRUE(onTop());
    withAbout([&](AboutWindow&) { EXPECT_FALSE(onTop() || !logViewer()->isVisible()); });
    EXPECT_TRUE(onTop() && logViewer()->isVisible());
    withAbout([&](AboutWindow& about) {
        window->cmdExit->click();
        EXPECT_FALSE(about.isVisible());
        EXPECT_FALSE(window->isVisible());
    });
}

} // namespace
} // namespace umbrix
