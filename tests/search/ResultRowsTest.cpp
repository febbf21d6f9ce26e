#include "search/ResultRows.h"

#include "platform/PathText.h"

#include <algorithm>
#include <gtest/gtest.h>
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

bool rowLess(const std::string& a, const std::string& b)
{
    return resultRowLess(a, a, b, b);
}

TEST(ResultRows, CommittedRowsAreSortedWithoutRegardToCaseAndKeepTheirBytes)
{
    ResultRows rows;
    const std::string odd("/data/caf\xe9\xff", 11);
    for (const char* name : {"beta", "Alpha", "sub/x", "alpha"})
        rows.add("/data/", name);
    rows.add("/Data/", "zeta");
    rows.add("/data/", odd.substr(6));
    EXPECT_EQ(rows.count(), 6);
    EXPECT_EQ(rows.shown(), 0) << "nothing is shown before the batch is committed";
    rows.commit();
    EXPECT_EQ(shownBytes(rows),
              (std::vector<std::string>{"/data/Alpha", "/data/alpha", "/data/beta", odd,
                                        "/data/sub/x", "/Data/zeta"}));
    EXPECT_EQ(rows.display(3), displayText(odd));

    rows.add("/a/", "pending");
    rows.clear();
    EXPECT_EQ(rows.count(), 0);
    EXPECT_EQ(rows.shown(), 0);
}

// The pending rows are sorted in runs as they come; wherever the commits
// fall among them, the rows shown are every row added, in order.  The
// folder is long enough for the text to outgrow its first room on the way.
TEST(ResultRows, RowsCommittedAtAnyPointComeOutSorted)
{
    std::mt19937 random(7);
    const std::string letters = "aAbB._\xC3\xA9";
    const std::string folder = "/" + std::string(40, 'f') + "/";
    for (const unsigned commitEvery : {1u, 97u, 700u, 100000u}) {
        ResultRows rows;
        std::vector<std::string> added;
        for (int i = 0; i < 3000; ++i) {
            std::string name;
            for (unsigned n = 1 + random() % 6; n > 0; --n)
                name += letters[random() % letters.size()];
            rows.add(folder, name);
            added.push_back(folder + name);
            if (random() % commitEvery == 0)
                rows.commit();
        }
        rows.commit();
        std::stable_sort(added.begin(), added.end(), [](const std::string& a, const std::string& b) {
            return resultRowLess(displayText(a), a, displayText(b), b);
        });
        EXPECT_EQ(shownBytes(rows), added) << "a commit every " << commitEvery << " rows or so";
    }
}

// Each run a commit tells of must be exactly the rows it added, at the place
// it names, the runs in ascending order and the rows sorted after each.
class RunChecker : public ResultRowsListener {
public:
    explicit RunChecker(const ResultRows& rows) : rows_(rows) {}
    void beginInsertRows(int32_t first, int32_t last) override
    {
        EXPECT_GE(first, last_ + 1) << "runs come in ascending order";
        before_ = shownBytes(rows_);
        first_ = first;
        last_ = last;
    }
    void endInsertRows() override
    {
        std::vector<std::string> after = shownBytes(rows_);
        EXPECT_TRUE(std::is_sorted(after.begin(), after.end(), rowLess));
        ASSERT_EQ(after.size(), before_.size() + static_cast<std::size_t>(last_ - first_ + 1));
        after.erase(after.begin() + first_, after.begin() + last_ + 1);
        EXPECT_EQ(after, before_);
        ++runs;
    }
    void beginResetRows() override
    {
        EXPECT_EQ(runs, 0) << "a reset tells the whole commit";
        before_ = shownBytes(rows_);
    }
    void endResetRows() override
    {
        const std::vector<std::string> after = shownBytes(rows_);
        EXPECT_TRUE(std::is_sorted(after.begin(), after.end(), rowLess));
        EXPECT_GE(after.size(), before_.size());
        EXPECT_TRUE(
            std::includes(after.begin(), after.end(), before_.begin(), before_.end(), rowLess));
        ++resets;
    }
    int runs = 0;
    int resets = 0;

private:
    const ResultRows& rows_;
    std::vector<std::string> before_;
    int32_t first_ = 0, last_ = -1;
};

TEST(ResultRows, ACommitTellsEveryRunWhileTheRowsStayConsistent)
{
    ResultRows rows;
    std::mt19937 random(7);
    std::vector<std::string> all;
    // Batches below and well above the rows sorted at a time as they come;
    // names that differ only in case must keep the order they came in.
    const int batches[] = {50, 50, 50, 700, 1500, 3};
    for (int batch = 0; batch < static_cast<int>(std::size(batches)); ++batch) {
        for (int i = 0; i < batches[batch]; ++i) {
            std::string name = "n" + std::to_string(random() % 3000);
            if (random() % 2)
                name[0] = 'N';
            rows.add("/t/", name);
            all.push_back("/t/" + name);
        }
        RunChecker checker(rows);
        rows.commit(&checker);
        EXPECT_GE(checker.runs + checker.resets, 1);
        // Fifty scattered rows land in more runs than are told one by one,
        // once the box holds enough rows for them to scatter.
        if (batch >= 2 && batches[batch] >= 50) {
            EXPECT_EQ(checker.resets, 1) << batch;
        }
    }
    std::stable_sort(all.begin(), all.end(), rowLess);
    EXPECT_EQ(shownBytes(rows), all);
}

} // namespace
} // namespace umbrix
