#include "platform/Wildcard.h"

#include <gtest/gtest.h>

using umbrix::wildcardMatch;

TEST(Wildcard, StarDotStarMatchesNamesWithAndWithoutDot)
{
    EXPECT_TRUE(wildcardMatch("*.*", "README"));
    EXPECT_TRUE(wildcardMatch("*.*", "a.txt"));
    EXPECT_TRUE(wildcardMatch("*.*", ".hidden"));
    EXPECT_TRUE(wildcardMatch("*", "x"));
}

TEST(Wildcard, StarQuestionMarkAndCase)
{
    EXPECT_TRUE(wildcardMatch("*.TXT", "notes.txt"));
    EXPECT_FALSE(wildcardMatch("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(wildcardMatch("a?c", "abc"));
    EXPECT_FALSE(wildcardMatch("a?c", "ac"));
    EXPECT_FALSE(wildcardMatch("a?c", "abbc"));
    EXPECT_TRUE(wildcardMatch("*b*b*", "abxxbyy"));
    EXPECT_FALSE(wildcardMatch("*b*b*", "abxx"));
    EXPECT_TRUE(wildcardMatch("report", "REPORT"));
    EXPECT_FALSE(wildcardMatch("report", "report2"));
}

TEST(Wildcard, QuestionMarkTakesOneCharacterNotOneByte)
{
    EXPECT_TRUE(wildcardMatch("caf?", "caf\xC3\xA9"));
    // A byte that is not UTF-8 is a character of its own.
    EXPECT_TRUE(wildcardMatch("caf?", "caf\xE9"));
    EXPECT_TRUE(wildcardMatch("*\xC3\xA9", "caf\xC3\xA9"));
}
