#include "platform/NumberPrefix.h"

#include <gtest/gtest.h>
#include <limits>

namespace umbrix {
namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();

TEST(NumberPrefix, ReadsTheNumberAtTheStartAndNothingElse)
{
    // clang-format off
    const struct {
        const char* text;
        double number;
    } cases[] = {
        {"2", 2}, {"0.25", 0.25}, {"-1.5", -1.5}, {"+3", 3}, {".5", 0.5}, {"5.", 5},
        {"1e1", 10}, {"2.5E-1", 0.25}, {"1e+2", 100},
        // Leading blanks only, and reading stops where the number cannot go on.
        {"  \t 7", 7}, {" -\t7", 0}, {"1 2", 1}, {"2abc", 2}, {"1e", 1}, {"1e+", 1},
        {"3.5.1", 3.5}, {"4 /other:1", 4}, {"12,5", 12},
        // No number; nor are the words a general float parser would take.
        {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"+-5", 0}, {"e5", 0}, {"inf", 0}, {"nan", 0},
        {"0x10", 0},
        // Out of range saturates.
        {"1e999", Infinity}, {"-1e999", -Infinity}, {"0.0001e400", Infinity}, {"1e-999", 0},
        {"1000e-1000", 0}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(readNumberPrefix(c.text), c.number) << '"' << c.text << '"';
}

} // namespace
} // namespace umbrix
