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
    }
    static QPoint centred(const QWidget& w)
    {
        const QRect screen = w.screen()->geometry();
        return {screen.x() + (screen.width() - w.frameGeometry().width()) / 2,
                screen.y() + (screen.height() - w.frameGeometry().height()) / 2};
    }

    ScopedUrlOpener urls;
};

// A modal dialog, centred each time, with a beep, the text and two links;
// the link under the pointer alone is lit and shows the hand, and any button
// on it opens it.  The shown log viewer drops behind the dialog meanwhile.
TEST_F(AboutWindowTest, AModalCentredDialogWithTheTextAndTheLinks)
{
    state.LogErrors = true;
    logViewer()->Log(QStringLiteral("Path: \"/x\""));
    const auto viewerOnTop = [] {
        return logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    };
    withAbout([&](AboutWindow& about) {
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_FALSE(viewerOnTop());
        QString text = QString::fromStdString(AboutText("Umbrix", 0, 1, 0));
        EXPECT_EQ(about.lblAbout->text(), text.replace(QLatin1Char('\r'), QLatin1Char('\n')));
        EXPECT_TRUE(about.lblAbout->geometry().contains(about.lblweb->geometry()));
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about));
        for (QWidget* over : std::initializer_list<QWidget*>{about.lblmailto, about.lblweb,
                                                             about.Frame1, about.lblAbout}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), over->mapToGlobal(QPointF(2, 2)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(over, &move);
            for (QLabel* link : {about.lblmailto, about.lblweb})
                EXPECT_EQ(link->font().underline(), link == over) << link->text().toStdString();
        }
        EXPECT_EQ(about.lblweb->cursor().shape(), Qt::PointingHandCursor);
        QTest::mousePress(about.lblmailto, Qt::LeftButton);
        QTest::mousePress(about.lblweb, Qt::RightButton);
        QTest::mousePress(about.lblAbout, Qt::LeftButton);
        about.move(0, 0);
    });
    EXPECT_EQ(urls.urls(), (std::vector<QUrl>{QUrl(QStringLiteral("mailto:") + qs(kAuthorEMail)),
                                              QUrl(qs(kWebAddress))}));
    EXPECT_EQ(beeps.count(), 1) << "the information beep";
    EXPECT_TRUE(viewerOnTop() && logViewer()->isVisible());
    withAbout([&](AboutWindow& about) {
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about)) << "centred again";
        about.btnOK->click();
        EXPECT_FALSE(about.isVisible());
    });
}

TEST_F(AboutWindowTest, LeavingTheProgramClosesTheDialog)
{
    withAbout([&](AboutWindow& about) {
        window->cmdExit->click();
        EXPECT_FALSE(about.isVisible());
        EXPECT_FALSE(window->isVisible());
    });
}

} // namespace
} // namespace umbrix
