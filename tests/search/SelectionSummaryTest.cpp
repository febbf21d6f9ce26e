#include "search/SelectionSummary.h"

#include "fileops/FakeCommandView.h"
#include "support/TempDir.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

using test::FakeCommandView;
using test::FakeRows;
using test::makeDir;
using test::makeFile;
using test::setDosAttrib;
using States = std::array<int32_t, 5>;

constexpr int32_t N = SummaryState::None;
constexpr int32_t A = SummaryState::All;
constexpr int32_t M = SummaryState::Mixed;

class Summary : public ::testing::Test {
protected:
    Summary()
    {
        entry("hidden", 0x2);
        entry("plain", 0);
        entry("archive-ro", 0x21);
        entry("everything", 0x27);
        entry("dir", 0x2, true);
        entry("sys-dir", 0x4, true);
        entry("plain-dir", 0, true);
    }
    void entry(const std::string& name, uint32_t attributes, bool folder = false)
    {
        folder ? makeDir(tmp / name) : makeFile(tmp / name, "x");
        if (attributes)
            setDosAttrib(tmp / name, attributes);
    }
    // A list of the given rows, those named in `selected` selected.
    FakeRows rows(std::initializer_list<const char*> names,
                  std::initializer_list<const char*> selected)
    {
        FakeRows r;
        for (const std::string name : names)
            r.add(tmp / name, std::find(selected.begin(), selected.end(), name) != selected.end());
        return r;
    }

    test::TempDir tmp;
    FakeCommandView view;
};

// Each box is set, clear or mixed over the selected rows; the walk reads
// every row and yields after each, unless every state is mixed early.
TEST_F(Summary, TriStateOfTheSelectedRowsOnly)
{
    struct Case {
        std::initializer_list<const char*> selected;
        States states;
        int yields;
    } cases[] = {
        {{"hidden"}, {N, A, N, N, N}, 8},
        {{"hidden", "plain"}, {N, M, N, N, N}, 8},
        {{"archive-ro", "everything"}, {A, M, M, A, N}, 8},
        {{"dir", "sys-dir"}, {N, M, M, N, A}, 8},
        {{"hidden", "dir"}, {N, A, N, N, M}, 8},
        // An entry that cannot be read counts as having nothing.
        {{"gone", "hidden"}, {N, M, N, N, N}, 8},
        {{}, {N, N, N, N, N}, 8},
        // "plain-dir" differs from "everything" in all five: nothing after
        // it can change the states.
        {{"everything", "plain-dir", "hidden"}, {M, M, M, M, M}, 3},
    };
    for (const Case& c : cases) {
        const FakeRows r = rows(
            {"archive-ro", "dir", "everything", "plain-dir", "gone", "hidden", "plain", "sys-dir"},
            c.selected);
        SCOPED_TRACE(testing::PrintToString(r.selected));
        SelectionSummary summary;
        view = FakeCommandView{};
        EXPECT_EQ(summarizeSelection(view, r, summary), CommandEnd::Finished);
        EXPECT_EQ(summary.states(), c.states);
        EXPECT_EQ(view.yields, c.yields);
    }
    // A stop asked for during a yield ends the walk there.
    const FakeRows r = rows({"hidden", "plain", "dir"}, {"hidden", "plain", "dir"});
    for (bool closing : {false, true}) {
        view = FakeCommandView{};
        view.atYield = [&](int) { (closing ? view.closing : view.cancelAction) = true; };
        SelectionSummary summary;
        EXPECT_EQ(summarizeSelection(view, r, summary),
                  closing ? CommandEnd::Closing : CommandEnd::Cancelled);
        EXPECT_EQ(view.yields, 1);
    }
}

} // namespace
} // namespace umbrix
