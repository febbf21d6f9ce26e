#pragma once

#include "ui/controls/ResultListBox.h"
#include "ui/main/Twips.h"

#include <QObject>
#include <cstdint>
#include <string>
#include <vector>

namespace umbrix {

class FrmSeek;

// The result list boxes `lstFoundFiles`: side by side in equal columns, a new
// one opened when the last is full, with their mouse, keyboard and focus
// handlers.  The boxes are the window's children, placed in its twips.
class ResultColumns : public QObject {
public:
    ResultColumns(FrmSeek& window, const TwipsScale* scale);
    // Places box 0, hidden, where the results view shows it.
    void compose();

    Placed<ResultListBox>& operator[](std::size_t i) { return boxes_[i]; }
    std::size_t size() const { return boxes_.size(); }
    auto begin() { return boxes_.begin(); }
    auto end() { return boxes_.end(); }
    ResultListBox& box(int index) { return *boxes_[static_cast<std::size_t>(index)].get(); }

    int16_t CurrentIndex() const { return currentIndex_; }
    void setCurrentIndex(int16_t NewValue) { currentIndex_ = NewValue; }
    int16_t TotalListbox() const { return totalListbox_; }
    void setTotalListbox(int16_t NewValue) { totalListbox_ = NewValue; }
    // Whole rows that box 0 shows at its height.
    int32_t PageSize = 0;

    // The rows of every box in use.
    int32_t foundTotal();
    // Appends a row found by the walk.
    void FoundFileAdd(const std::string& Folder, const std::string& Name,
                      const platform::EntryIdentity& identity = {});
    // The next row found goes to a new box: the current one is full.
    bool nextRowOpensBox();
    // Appends box CurrentIndex + 1 and splits the width into equal columns.
    void addResultListBox();
    // Splits `width` by `height` of the window into the boxes in use; false
    // when a box would get a size below zero.
    bool fit(float width, float height);

    // Windows key codes (33 Page Up, 34 Page Down, 38 Up, 40 Down, 46 Delete,
    // 93 the context-menu key); a KeyCode set to 0 is kept from the box.
    void lstFoundFiles_KeyDown(int16_t Index, int& KeyCode, int Shift);
    void mnuSelectAll_Click();
    void mnuUnselectAll_Click();

private:
    Placed<ResultListBox> makeResultListBox(float left, float top, float width, float height);
    void connectResultBox(ResultListBox& box, int16_t index);
    void lstFoundFiles_Click(int16_t Index);
    void lstFoundFiles_GotFocus(int16_t Index);
    // Mouse positions in twips from the box's top left corner; buttons 1
    // left, 2 right; shift 1 Shift, 2 Ctrl, 4 Alt, summed.
    void lstFoundFiles_MouseDown(int16_t Index, int Button, int Shift, float X, float Y);
    void lstFoundFiles_MouseUp(int16_t Index, int Button, int Shift, float X, float Y);

    FrmSeek& window_;
    const TwipsScale* scale_;
    std::vector<Placed<ResultListBox>> boxes_;
    int16_t currentIndex_ = 0;
    int16_t totalListbox_ = 1;
    // What the press of the click under way put in the attribute panel: the
    // box, and the row or kSummaryShown.  The click's later handlers do not
    // read and report the same thing a second time.
    static constexpr int32_t kSummaryShown = -2;
    struct PressShown {
        int16_t box = -1;
        int32_t row = -1;
        bool operator==(const PressShown&) const = default;
    };
    PressShown pressShown_;
};

} // namespace umbrix
