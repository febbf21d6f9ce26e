#include "log/LogLine.h"

#include <climits>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

std::tm fixedTime() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2; // March
    t.tm_mday = 6;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    return t;
}

TEST(LogLineTest, EachCombinationOfDetailAndCode) {
    const std::tm t = fixedTime();
    EXPECT_EQ(formatLogLine("Umbrix", t, "Call SaveRegValue", "msg", 0, ""),
              "Umbrix\t06/03/2024 09:05:07\t(Call SaveRegValue)\t[ msg ]\r\n");
    EXPECT_EQ(formatLogLine("Umbrix", t, "P", "msg", 5, ""),
              "Umbrix\t06/03/2024 09:05:07\t(P)\t[ msg; Err=5 ]\r\n");
    EXPECT_EQ(formatLogLine("Umbrix", t, "P", "msg", 0, "detail"),
              "Umbrix\t06/03/2024 09:05:07\tdetail; (P)\t[ msg ]\r\n");
    EXPECT_EQ(formatLogLine("Umbrix", t, "P", "msg", 13, "detail"),
              "Umbrix\t06/03/2024 09:05:07\tdetail; (P)\t[ msg; Err=13 ]\r\n");
}

TEST(LogLineTest, NegativeAndExtremeCodesKeepTheirSign) {
    const std::tm t = fixedTime();
    EXPECT_EQ(formatLogLine("A", t, "P", "m", -1, ""),
              "A\t06/03/2024 09:05:07\t(P)\t[ m; Err=-1 ]\r\n");
    EXPECT_EQ(formatLogLine("A", t, "P", "m", INT32_MIN, ""),
              "A\t06/03/2024 09:05:07\t(P)\t[ m; Err=-2147483648 ]\r\n");
    EXPECT_EQ(formatLogLine("A", t, "P", "m", INT32_MAX, ""),
              "A\t06/03/2024 09:05:07\t(P)\t[ m; Err=2147483647 ]\r\n");
}

TEST(LogLineTest, StampIsDayMonthYearOnTheTwentyFourHourClock) {
    std::tm t{};
    t.tm_year = 1999 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 58;
    EXPECT_EQ(formatLogLine("", t, "", "", 0, ""), "\t31/12/1999 23:59:58\t()\t[  ]\r\n");
}

TEST(LogLineTest, TextsAreWrittenAsGiven) {
    EXPECT_EQ(formatLogLine("Umbrix", fixedTime(), "(p)", "''a\\b'' caf\xC3\xA9", 0, "d;"),
              "Umbrix\t06/03/2024 09:05:07\td;; ((p))\t[ ''a\\b'' caf\xC3\xA9 ]\r\n");
}

} // namespace
} // namespace umbrix
