#include "search/ResultRows.h"

#include "platform/PathText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace umbrix {
namespace {

std::vector<std::string> shownBytes(const ResultRows& rows)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < rows.shown(); ++i)
        out.emplace_back(rows.bytes(i));
    return out;
}

TEST(ResultRows, RowsAreSortedByDisplayTextWithoutRegardToCase)
{
    ResultRows rows;
    rows.add("/data/", "beta");
    rows.add("/data/", "Alpha");
    rows.add("/data/sub/", "x");
    rows.add("/data/", "alpha");
    rows.add("/Data/", "zeta");
    EXPECT_EQ(rows.count(), 5);
    EXPECT_EQ(rows.shown(), 0) << "nothing is shown before the batch is committed";
    rows.commit();
    EXPECT_EQ(shownBytes(rows),
              (std::vector<std::string>{"/data/Alpha", "/data/alpha", "/data/beta", "/data/sub/x", "/Data/zeta"}));
}

TEST(ResultRows, BytesStayExactAndDisplayTextShowsThem)
{
    ResultRows rows;
    const std::string name("caf\xe9\xff", 5);
    rows.add("/m/", name);
    rows.add("/m/", "plain");
    rows.commit();
    ASSERT_EQ(rows.shown(), 2);
    const auto at = rows.bytes(0) == "/m/plain" ? 1 : 0;
    EXPECT_EQ(rows.bytes(at), "/m/" + name);
    EXPECT_EQ(rows.display(at), displayText("/m/" + name));
    EXPECT_NE(rows.display(at), rows.bytes(at));
    EXPECT_EQ(rows.display(1 - at), "/m/plain");
    EXPECT_EQ(rows.bytes(-1), "");
    EXPECT_EQ(rows.bytes(2), "");
}

// Checks, at every step of a commit, that the rows read as a consistent list:
// before a run its rows are absent, after it they are in place.
class RunChecker : public ResultRowsListener {
public:
    explicit RunChecker(const ResultRows& rows) : rows_(rows) {}

    void beginInsertRows(int32_t first, int32_t last) override
    {
        EXPECT_LE(first, last);
        EXPECT_GE(first, previousEnd_) << "runs come in ascending order";
        before_ = shownBytes(rows_);
        first_ = first;
        last_ = last;
    }
    void endInsertRows() override
    {
        std::vector<std::string> after = shownBytes(rows_);
        ASSERT_EQ(after.size(), before_.size() + static_cast<std::size_t>(last_ - first_ + 1));
        std::vector<std::string> without = after;
        without.erase(without.begin() + first_, without.begin() + last_ + 1);
        EXPECT_EQ(without, before_);
        EXPECT_TRUE(std::is_sorted(after.begin(), after.end(), [](const std::string& a, const std::string& b) {
            return resultRowLess(a, a, b, b);
        }));
        previousEnd_ = last_ + 1;
        ++runs;
    }

    int runs = 0;

private:
    const ResultRows& rows_;
    std::vector<std::string> before_;
    int32_t first_ = 0;
    int32_t last_ = 0;
    int32_t previousEnd_ = 0;
};

TEST(ResultRows, ACommitTellsEveryRunWhileTheRowsStayConsistent)
{
    ResultRows rows;
    std::mt19937 random(7);
    std::vector<std::string> all;
    for (int batch = 0; batch < 6; ++batch) {
        for (int i = 0; i < 50; ++i) {
            const std::string name = "n" + std::to_string(random() % 1000);
            rows.add("/t/", name);
            all.push_back("/t/" + name);
        }
        RunChecker checker(rows);
        rows.commit(&checker);
        EXPECT_GE(checker.runs, 1);
        EXPECT_EQ(rows.shown(), static_cast<int32_t>(all.size()));
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const std::string& a, const std::string& b) { return resultRowLess(a, a, b, b); });
    EXPECT_EQ(shownBytes(rows), all);
}

TEST(ResultRows, ClearForgetsEverything)
{
    ResultRows rows;
    rows.add("/a/", "b");
    rows.commit();
    rows.add("/a/", "c");
    rows.clear();
    EXPECT_EQ(rows.count(), 0);
    EXPECT_EQ(rows.shown(), 0);
    rows.add("/a/", "d");
    rows.commit();
    EXPECT_EQ(shownBytes(rows), std::vector<std::string>{"/a/d"});
}

} // namespace
} // namespace umbrix
