#include "platform/Wildcard.h"

#include <gtest/gtest.h>

using umbrix::wildcardMatch;

TEST(Wildcard, StarQuestionMarkDotsAndCase)
{
    // clang-format off
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "README", true}, {"*.*", ".hidden", true}, {"*.TXT", "notes.txt", true},
        {"*.txt", "notes.txt.bak", false}, {"a?c", "abc", true}, {"a?c", "ac", false},
        {"a?c", "abbc", false}, {"*b*b*", "abxxbyy", true}, {"*b*b*", "abxx", false},
        {"report", "REPORT", true}, {"report", "report2", false},
        // "?" takes one character, not one byte; a byte that is not UTF-8 is
        // a character of its own.
        {"caf?", "caf\xC3\xA9", true}, {"caf?", "caf\xE9", true},
        {"*\xC3\xA9", "caf\xC3\xA9", true}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}
