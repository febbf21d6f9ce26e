#include "platform/CBoolean.h"
#include "platform/EnvironmentText.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace umbrix {
namespace {

TEST(CBooleanTest, WordsInAnyCaseElseTheLeadingNumber)
{
    // clang-format off
    const std::pair<std::string, bool> cases[] = {
        // The words for yes and no, English and Italian, in any case.
        {"TRUE", true}, {"Yes", true}, {"On", true}, {"Enabled", true}, {"VERO", true},
        {"S\xC3\x8C", true}, {"s\xC3\xAC", true}, {"si", true},
        {"No", false}, {"OFF", false}, {"Falso", false}, {"DISABLED", false}, {"false", false},
        // Not trimmed, and a word inside a longer text is no word.
        {" true", false}, {"yes ", false}, {"yesterday", false},
        // Anything else is True when it starts with a number other than 0.
        {"2", true}, {"-1", true}, {"3abc", true}, {"0.5", true}, {"  7", true}, {"+4 apples", true},
        {"", false}, {"abc", false}, {"0.0", false}, {"-0", false}, {"00", false}, {"e5", false},
        // Bytes that are not UTF-8 match no word; a number before them still counts.
        {"s\xCC", false}, {"9\xFF", true}, {std::string("on\0", 3), false}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CBoolean(text), expected) << '"' << text << '"';
}

TEST(EnvironmentTextTest, ExpandsSetVariablesAndKeepsEverythingElse)
{
    ::setenv("UMBRIX_TEST_DATA", "/srv/data", 1);
    ::unsetenv("UMBRIX_TEST_UNSET");
    EXPECT_EQ(expandEnvironmentText("%UMBRIX_TEST_DATA%/x"), "/srv/data/x");
    EXPECT_EQ(expandEnvironmentText("${UMBRIX_TEST_DATA}x"), "/srv/datax");
    EXPECT_EQ(expandEnvironmentText("a:%UMBRIX_TEST_DATA%:$UMBRIX_TEST_DATA/"),
              "a:/srv/data:/srv/data/");
    // Nothing is dropped: an unset variable or a stray sign stays as written.
    for (const char* text : {"%UMBRIX_TEST_UNSET%", "$UMBRIX_TEST_UNSET/x", "${UMBRIX_TEST_UNSET}",
                             "100%", "%%", "$", "a$1", "${", "${}", "%UMBRIX_TEST_DATA"})
        EXPECT_EQ(expandEnvironmentText(text), text);
    ::unsetenv("UMBRIX_TEST_DATA");
}

} // namespace
} // namespace umbrix
