#include "platform/LogLine.h"

#include <climits>
#include <ctime>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

TEST(LogLineTest, EachCombinationOfDetailAndCode)
{
    // 6 March 2024, 21:05:07: day before month, two digits each, 24-hour clock.
    std::tm t{};
    ASSERT_NE(::strptime("2024-03-06 21:05:07", "%Y-%m-%d %H:%M:%S", &t), nullptr);
    const struct {
        std::string detail;
        int32_t code;
        std::string tail;
    } cases[] = {{"", 0, "(P)\t[ msg ]\r\n"},
                 {"", 5, "(P)\t[ msg; Err=5 ]\r\n"},
                 {"why", 0, "why; (P)\t[ msg ]\r\n"},
                 {"why", 13, "why; (P)\t[ msg; Err=13 ]\r\n"},
                 {"", -1, "(P)\t[ msg; Err=-1 ]\r\n"},
                 {"why", INT32_MIN, "why; (P)\t[ msg; Err=-2147483648 ]\r\n"},
                 {"", INT32_MAX, "(P)\t[ msg; Err=2147483647 ]\r\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatLogLine("Umbrix", t, "P", "msg", c.code, c.detail),
                  "Umbrix\t06/03/2024 21:05:07\t" + c.tail);
    // Texts go in as they are, brackets and bytes alike.
    EXPECT_EQ(formatLogLine("", t, "(p)", "''a\\b'' caf\xC3\xA9", 0, "d;"),
              "\t06/03/2024 21:05:07\td;; ((p))\t[ ''a\\b'' caf\xC3\xA9 ]\r\n");
}

} // namespace
} // namespace umbrix
