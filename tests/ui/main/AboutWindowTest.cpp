#include "ui/main/AboutWindow.h"

#include "ui/main/AboutTexts.h"
#include "ui/main/LogViewer.h"
#include "ui/main/MainWindowFixture.h"
#include "ui/main/WindowMenu.h"
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

TEST(AboutTexts, TheTextIsBuiltAsWrittenWithRoomForTheLinks)
{
    const std::string text = AboutText("Umbrix", 1, 20, 3);
    EXPECT_EQ(text, "\rUmbrix - version 1.20.3\r\r"
                    "Copyright \u00a9 2026 Umbrix contributors\r"
                    "Made in Europe\r\r"
                    "for comments or bugs send e-mail to address:\r" +
                        std::string(14 + 12, ' ') + "or check for updates on the web:\r" +
                        std::string(31, ' '));
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(AboutTexts, TheCodeTablesSpellTheAddressAndTheHolder)
{
    EXPECT_EQ(WebAddressText(), kWebAddress);
    EXPECT_EQ(WebAddressText().size(), 31u);
    EXPECT_EQ(AuthorNameText(), "Umbrix contributors");
    EXPECT_EQ(AuthorNameText().size(), 19u);
}

TEST(AboutTexts, ShellResultsMapToTheirTexts)
{
    const std::pair<int32_t, const char*> results[] = {
        {0, "Generic access file error."},
        {2, "File not found."},
        {3, "Path not found."},
        {5, "Access denied."},
        {27, "Incomplete association type of file."},
        {31, "Missing association type of file."},
        {32, "Generic access file error."},
        {33, ""},
        {42, ""},
    };
    for (const auto& [code, text] : results)
        EXPECT_EQ(ShellResultText(code), text) << code;
}

class AboutWindowTest : public test::MainWindowFixture {
protected:
    // Chooses "About..." from the window menu and runs `check` inside the
    // modal window, which is closed afterwards whatever `check` found.
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
        const QPointF at(2, 2);
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    static bool hand(const QLabel* label)
    {
        return label->testAttribute(Qt::WA_SetCursor) &&
               label->cursor().shape() == Qt::PointingHandCursor;
    }
    static QPoint centred(const QWidget& w)
    {
        const QRect screen = w.screen()->geometry();
        return {screen.x() + (screen.width() - w.frameGeometry().width()) / 2,
                screen.y() + (screen.height() - w.frameGeometry().height()) / 2};
    }

    ScopedUrlOpener urls;
};

TEST_F(AboutWindowTest, TheDialogShowsTheTextAndTheLinksModallyAndCentred)
{
    const int beepsBefore = beeps.count();
    withAbout([&](AboutWindow& about) {
        EXPECT_TRUE(about.isVisible());
        EXPECT_TRUE(about.Loaded());
        EXPECT_EQ(QApplication::activeModalWidget(), &about);
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
        QString shown = QString::fromStdString(AboutText("Umbrix", 0, 1, 0));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        EXPECT_TRUE(about.lblAbout->text().startsWith(QStringLiteral("\nUmbrix - version ")));
        EXPECT_EQ(about.lblAbout->text().count(QLatin1Char('\n')), shown.count(QLatin1Char('\n')));
        EXPECT_EQ(about.lblmailto->text(), QStringLiteral("hi@example.org"));
        EXPECT_EQ(about.lblweb->text(), QStringLiteral("https://umbrix.example.org/news"));
        EXPECT_TRUE(about.lblmailto->isVisible());
        EXPECT_TRUE(about.lblweb->isVisible());
        EXPECT_EQ(about.lblmailto->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about));
        // The links lie on the About text, inside its frame, above the button.
        EXPECT_TRUE(about.lblAbout->geometry().contains(about.lblmailto->geometry()));
        EXPECT_TRUE(about.lblAbout->geometry().contains(about.lblweb->geometry()));
        EXPECT_LT(about.lblmailto->geometry().bottom(), about.lblweb->geometry().top());
        EXPECT_TRUE(about.rect().contains(about.btnOK->geometry()));
        about.move(0, 0);
    });
    EXPECT_EQ(beeps.count(), beepsBefore + 1) << "the information beep";

    withAbout([&](AboutWindow& about) {
        EXPECT_EQ(about.frameGeometry().topLeft(), centred(about)) << "centred again after a move";
        about.btnOK->click();
        EXPECT_FALSE(about.Loaded());
        EXPECT_FALSE(about.isVisible());
    });
}

TEST_F(AboutWindowTest, TheHandAndTheUnderlineFollowThePointerAcrossTheLinks)
{
    withAbout([&](AboutWindow& about) {
        EXPECT_FALSE(about.lblmailto->font().underline());
        EXPECT_FALSE(hand(about.lblmailto));
        moveOver(about.lblmailto);
        EXPECT_TRUE(about.lblmailto->font().underline());
        EXPECT_TRUE(hand(about.lblmailto));
        EXPECT_FALSE(about.lblweb->font().underline());

        moveOver(about.lblweb);
        EXPECT_TRUE(about.lblweb->font().underline());
        EXPECT_TRUE(hand(about.lblweb));
        EXPECT_FALSE(about.lblmailto->font().underline());
        EXPECT_FALSE(hand(about.lblmailto));

        moveOver(about.Frame1);
        EXPECT_FALSE(about.lblweb->font().underline());
        EXPECT_FALSE(about.lblmailto->font().underline());
        moveOver(about.lblmailto);
        moveOver(about.lblAbout);
        EXPECT_FALSE(about.lblmailto->font().underline());
    });
}

TEST_F(AboutWindowTest, EachLinkOpensItsAddressOnAnyButtonAndTheDialogStays)
{
    withAbout([&](AboutWindow& about) {
        QTest::mousePress(about.lblmailto, Qt::LeftButton);
        QTest::mousePress(about.lblweb, Qt::RightButton);
        QTest::mousePress(about.lblAbout, Qt::LeftButton);
        EXPECT_TRUE(about.isVisible());
    });
    ASSERT_EQ(urls.urls().size(), 2u);
    EXPECT_EQ(urls.urls()[0], QUrl(QStringLiteral("mailto:hi@example.org")));
    EXPECT_EQ(urls.urls()[1], QUrl(QStringLiteral("https://umbrix.example.org/news")));
}

TEST_F(AboutWindowTest, OpenDocumentSaysWhatWentWrong)
{
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("mailto:hi@example.org")), QString());
    const ScopedUrlOpener refusing([](const QUrl&) { return false; });
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("https://umbrix.example.org/news")),
              QStringLiteral("Missing association type of file."));
    EXPECT_EQ(OpenDocument(nullptr, QString()), QStringLiteral("File not found."));
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("no scheme")),
              QStringLiteral("File not found."));
    EXPECT_EQ(OpenDocument(nullptr, QStringLiteral("/tmp/a file")),
              QStringLiteral("Missing association type of file."));
    ASSERT_EQ(refusing.urls().size(), 2u);
    EXPECT_EQ(refusing.urls()[1], QUrl::fromLocalFile(QStringLiteral("/tmp/a file")));
}

TEST_F(AboutWindowTest, TheShownViewerDropsBehindTheDialogAndIsOnTopAgainAfter)
{
    state.LogErrors = true;
    logViewer()->Log(QStringLiteral("Path: \"/x\""));
    ASSERT_TRUE(logViewer()->isVisible());
    ASSERT_TRUE(logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    withAbout([&](AboutWindow&) {
        EXPECT_TRUE(logViewer()->isVisible());
        EXPECT_FALSE(logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    });
    EXPECT_TRUE(logViewer()->isVisible());
    EXPECT_TRUE(logViewer()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(AboutWindowTest, ClosingTheMainWindowClosesTheDialog)
{
    withAbout([&](AboutWindow& about) {
        window->cmdExit->click();
        EXPECT_FALSE(about.isVisible());
        EXPECT_FALSE(window->isVisible());
    });
}

} // namespace
} // namespace umbrix
