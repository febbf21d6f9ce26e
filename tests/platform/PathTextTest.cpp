#include "platform/PathText.h"

#include <gtest/gtest.h>

using umbrix::displaysVerbatim;
using umbrix::displayText;

TEST(PathText, ValidUtf8IsShownAsItIsAndAnythingElseAsVisibleEscapes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt", "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.txt"},
        {" leading and trailing ", " leading and trailing "},
        {"caf\xE9.txt", "caf\\xE9.txt"},
        {"line\nbreak", "line\\x0Abreak"},
        // Overlong encoding of "/", a lone surrogate, a sequence cut short.
        {"\xC0\xAF", "\\xC0\\xAF"},
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
        {"a\xE2\x82", "a\\xE2\\x82"}};
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(displayText(raw), shown);
    EXPECT_TRUE(displaysVerbatim("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(displaysVerbatim("tab\there"));
}

// Names are checked a word at a time; a byte that is not printable ASCII
// must be seen wherever it falls, in a word or in the tail after the last.
TEST(PathText, EveryBytePositionIsChecked)
{
    for (size_t at = 0; at < 17; ++at) {
        for (int b = 1; b < 256; ++b) {
            std::string name(17, 'a');
            name[at] = static_cast<char>(b);
            const bool printable = b >= 0x20 && b < 0x7F;
            ASSERT_EQ(displaysVerbatim(name), printable) << "byte " << b << " at " << at;
        }
    }
}
