// A box that a search fills lays its rows out a batch per round of events,
// and every row is in place as soon as anything looks at the rows.

#include "ui/controls/ResultListBox.h"

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using namespace umbrix;

TEST(ResultListFilling, ARoundLaysOutABatchAndTheFirstLookLaysOutEveryRow)
{
    constexpr int rows = 5000;
    ResultListBox box;
    box.resize(240, 300);
    box.show();
    ResultListModel& model = box.resultModel();
    for (int i = 0; i < rows; ++i)
        model.add("/srv/share/", "file" + std::to_string(100000 + i));
    // Rounds of events as a search makes them, until the commit timer has
    // shown the rows; then three more.
    for (int wait = 0; model.rows().shown() < rows && wait < 400; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        QApplication::processEvents();
    }
    ASSERT_EQ(model.rows().shown(), rows);
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
    EXPECT_TRUE(box.visualRect(model.index(0)).isValid()) << "the rows that show come first";
    EXPECT_FALSE(box.visualRect(model.index(rows - 1)).isValid())
        << "a round laid out the whole box";

    // Reading a row is a look at the rows: from then on all of them are in
    // place.
    EXPECT_EQ(box.List(rows - 1), QStringLiteral("/srv/share/file%1").arg(100000 + rows - 1));
    box.scrollTo(model.index(rows - 1));
    QApplication::processEvents();
    EXPECT_TRUE(box.visualRect(model.index(rows - 1)).intersects(box.viewport()->rect()));
}
