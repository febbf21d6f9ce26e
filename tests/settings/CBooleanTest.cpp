#include "settings/CBoolean.h"

#include <gtest/gtest.h>
#include <string>

namespace umbrix {
namespace {

TEST(CBooleanTest, WordsForYesInAnyCase) {
    for (const char* word : {"on", "true", "vero", "1", "enabled", "si", "s\xC3\xAC", "yes", "TRUE",
                             "Yes", "On", "Enabled", "VERO", "SI", "S\xC3\x8C", "s\xC3\x8C"})
        EXPECT_TRUE(CBoolean(word)) << word;
}

TEST(CBooleanTest, WordsForNoInAnyCase) {
    for (const char* word :
         {"off", "false", "falso", "0", "disabled", "no", "No", "OFF", "Falso", "DISABLED"})
        EXPECT_FALSE(CBoolean(word)) << word;
}

TEST(CBooleanTest, WordsAreNotTrimmed) {
    EXPECT_FALSE(CBoolean(" true"));
    EXPECT_FALSE(CBoolean("yes "));
    EXPECT_FALSE(CBoolean("on\n"));
    // A word inside a longer text is no word.
    EXPECT_FALSE(CBoolean("yesterday"));
}

TEST(CBooleanTest, OtherTextsGoByTheirLeadingNumber) {
    for (const char* text : {"2", "-1", "3abc", "0.5", "  7", "1e3", "+4 apples"})
        EXPECT_TRUE(CBoolean(text)) << text;
    for (const char* text : {"", "abc", "0.0", "-0", "00", " 0 but true", "e5", "."})
        EXPECT_FALSE(CBoolean(text)) << text;
}

TEST(CBooleanTest, TextThatIsNotUtf8MatchesNoWord) {
    EXPECT_FALSE(CBoolean("s\xCC")); // "sì" in Latin-1
    EXPECT_FALSE(CBoolean("\xFF\xFE"));
    EXPECT_TRUE(CBoolean("9\xFF")); // the number still counts
    EXPECT_FALSE(CBoolean(std::string("on\0", 3)));
}

} // namespace
} // namespace umbrix
