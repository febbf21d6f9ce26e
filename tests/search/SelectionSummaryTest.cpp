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

TEST_F(Summary, TriStateOfMixedSelections)
{
    struct Case {
        std::initializer_list<const char*> selected;
        States states;
    } cases[] = {
        {{"hidden"}, {N, A, N, N, N}},
        {{"hidden", "plain"}, {N, M, N, N, N}},
        {{"archive-ro", "everything"}, {A, M, M, A, N}},
        {{"dir", "sys-dir"}, {N, M, M, N, A}},
        {{"hidden", "dir"}, {N, A, N, N, M}},
        // An entry that cannot be read counts as having nothing.
        {{"gone", "hidden"}, {N, M, N, N, N}},
        {{}, {N, N, N, N, N}},
    };
    for (const Case& c : cases) {
        const FakeRows r = rows(
            {"archive-ro", "dir", "everything", "gone", "hidden", "plain", "sys-dir"}, c.selected);
        SelectionSummary summary;
        view = FakeCommandView{};
        EXPECT_EQ(summarizeSelection(view, r, summary), CommandEnd::Finished);
        EXPECT_EQ(summary.states(), c.states) << testing::PrintToString(r.selected);
        EXPECT_EQ(view.yields, 7);
    }
}

TEST_F(Summary, StopsOnceEveryStateIsMixed)
{
    // "plain-dir" differs from "everything" in all five; the caption stops
    // at the row before it, and counts the unselected row as well.
    FakeRows r =
        rows({"everything", "hidden", "plain-dir", "plain"}, {"everything", "plain-dir", "plain"});
    SelectionSummary summary;
    EXPECT_EQ(summarizeSelection(view, r, summary), CommandEnd::Finished);
    EXPECT_EQ(summary.states(), (States{M, M, M, M, M}));
    EXPECT_EQ(view.captions,
              (std::vector<std::string>{processingCaption(25), processingCaption(50)}));
    EXPECT_EQ(view.yields, 2);
}

TEST_F(Summary, StopRequestsEndTheWalkAtTheNextYield)
{
    const FakeRows r = rows({"hidden", "plain", "dir"}, {"hidden", "plain", "dir"});
    for (bool closing : {false, true}) {
        view = FakeCommandView{};
        view.atYield = [&](int yield) {
            if (yield == 1)
                (closing ? view.closing : view.cancelAction) = true;
        };
        SelectionSummary summary;
        EXPECT_EQ(summarizeSelection(view, r, summary),
                  closing ? CommandEnd::Closing : CommandEnd::Cancelled);
        EXPECT_EQ(view.yields, 1);
    }
}

} // namespace
} // namespace umbrix
