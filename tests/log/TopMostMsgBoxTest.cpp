#include "app/TopMostMsgBox.h"

#include "app/Interaction.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

TEST(TopMostMsgBoxTest, LowersTheWindowOnlyWhileTheBoxIsOpen) {
    QWidget window;
    window.move(40, 30);
    SetTopMost(&window);
    EXPECT_FALSE(window.isVisible());
    window.show();
    bool onTopDuring = true;
    ScopedMsgBoxResponder responder([&](const MsgBoxCall&) {
        onTopDuring = window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        return MsgBoxAnswer::Yes;
    });
    EXPECT_EQ(TopMostMsgBox(&window, QStringLiteral("q?"), 292, QStringLiteral("T")),
              MsgBoxAnswer::Yes);
    EXPECT_FALSE(onTopDuring);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(40, 30));
    ASSERT_EQ(responder.calls().size(), 1u);
    EXPECT_EQ(responder.calls()[0].buttons, 292);

    SetNotTopMost(&window);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
}

TEST(TopMostMsgBoxTest, WithoutAWindowItIsAPlainMessageBox) {
    ScopedMsgBoxResponder responder([](const MsgBoxCall&) { return MsgBoxAnswer::No; });
    EXPECT_EQ(TopMostMsgBox(nullptr, QStringLiteral("q?"), 4, QStringLiteral("T")),
              MsgBoxAnswer::No);
    EXPECT_EQ(responder.calls().size(), 1u);
}

} // namespace
} // namespace umbrix
