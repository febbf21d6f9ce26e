#include "platform/PathText.h"

#include <gtest/gtest.h>

using umbrix::displayText;
using umbrix::displaysVerbatim;

TEST(PathText, ValidUtf8IsShownAsItIs)
{
    EXPECT_EQ(displayText("caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt"), "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt");
    EXPECT_EQ(displayText(" leading and trailing "), " leading and trailing ");
    EXPECT_TRUE(displaysVerbatim("\xF0\x9F\x98\x80"));
}

TEST(PathText, InvalidBytesAndControlsBecomeVisibleEscapes)
{
    EXPECT_EQ(displayText("caf\xE9.txt"), "caf\\xE9.txt");
    EXPECT_EQ(displayText("line\nbreak"), "line\\x0Abreak");
    // Overlong encoding of "/" and a lone surrogate are not UTF-8.
    EXPECT_EQ(displayText("\xC0\xAF"), "\\xC0\\xAF");
    EXPECT_EQ(displayText("\xED\xA0\x80"), "\\xED\\xA0\\x80");
    // A truncated sequence at the end.
    EXPECT_EQ(displayText("a\xE2\x82"), "a\\xE2\\x82");
    EXPECT_FALSE(displaysVerbatim("tab\there"));
}
