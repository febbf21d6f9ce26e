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
    return resultRowLess(displayText(a), a, displayText(b), b);
}

// Each run a commit tells of must be rows it added at the place it names,
// in order with the rows around them, the runs in ascending order.
class RunChecker : public ResultRowsListener {
public:
    explicit RunChecker(const ResultRows& rows) : rows_(rows), shownBefore_(rows.shown()) {}
    int32_t before() const { return shownBefore_; }
    void beginInsertRows(int32_t first, int32_t last) override
    {
        EXPECT_GE(first, last_ + 1) << "runs come in ascending order";
        shown_ = rows_.shown();
        first_ = first;
        last_ = last;
    }
    void endInsertRows() override
    {
        ASSERT_EQ(rows_.shown(), shown_ + last_ - first_ + 1);
        for (int32_t row = std::max(first_, 1); row <= std::min(last_ + 1, rows_.shown() - 1);
             ++row)
            EXPECT_FALSE(rowLess(std::string(rows_.bytes(row)), std::string(rows_.bytes(row - 1))))
                << row;
        ++runs;
    }
    void beginResetRows() override { EXPECT_EQ(runs, 0) << "a reset tells the whole commit"; }
    void endResetRows() override
    {
        const std::vector<std::string> after = shownBytes(rows_);
        EXPECT_TRUE(std::is_sorted(after.begin(), after.end(), rowLess));
        ++resets;
    }
    int runs = 0;
    int resets = 0;

private:
    const ResultRows& rows_;
    const int32_t shownBefore_;
    int32_t shown_ = 0, first_ = 0, last_ = -1;
};

// The pending rows are sorted in runs as they come; wherever the commits
// fall among them, each commit tells its runs or a reset, and the rows shown
// are every row added, in order, those equal but for case in the order they
// came, with the bytes they were added with.  The folders are long enough
// for the text to outgrow its first room.
TEST(ResultRows, RowsCommittedAtAnyPointComeOutSortedAndEachCommitIsTold)
{
    std::mt19937 random(7);
    const std::string letters = "aAbB._\xC3\xA9\xFF";
    const std::string folders[] = {"/" + std::string(40, 'f') + "/",
                                   "/" + std::string(40, 'F') + "/"};
    for (const unsigned commitEvery : {1u, 50u, 97u, 700u, 100000u}) {
        SCOPED_TRACE(commitEvery);
        ResultRows rows;
        std::vector<std::string> added;
        const auto commit = [&] {
            RunChecker checker(rows);
            rows.commit(&checker);
            EXPECT_EQ(checker.runs + checker.resets > 0, checker.before() < rows.shown());
        };
        for (int i = 0; i < 3000; ++i) {
            std::string name;
            for (unsigned n = 1 + random() % 6; n > 0; --n)
                name += letters[random() % letters.size()];
            const std::string& folder = folders[random() % 2];
            rows.add(folder, name);
            added.push_back(folder + name);
            if (i == 0) {
                EXPECT_EQ(rows.shown(), 0) << "nothing shows before a commit";
            }
            if (random() % commitEvery == 0)
                commit();
        }
        EXPECT_EQ(rows.count(), 3000);
        commit();
        std::stable_sort(added.begin(), added.end(), rowLess);
        EXPECT_EQ(shownBytes(rows), added);
        for (int32_t row = 0; row < rows.shown(); row += 97)
            EXPECT_EQ(rows.display(row), displayText(added[static_cast<size_t>(row)]));
        rows.add(folders[0], "pending");
        rows.clear();
        EXPECT_EQ(rows.count(), 0);
        EXPECT_EQ(rows.shown(), 0);
    }
}

} // namespace
} // namespace umbrix
