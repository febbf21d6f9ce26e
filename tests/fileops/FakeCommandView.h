#pragma once

#include "fileops/SelectionCommand.h"
#include "platform/Error.h"

#include <algorithm>
#include <functional>
#include <sys/stat.h>
#include <string>
#include <vector>

namespace umbrix::test {

// A screen for the selection commands without a window: every message box
// and caption is recorded, answers come from a script, and a test can act at
// each yield.
class FakeCommandView : public SelectionCommandView {
public:
    struct Box {
        std::string prompt;
        int buttons = 0;
        std::string title;
    };

    int MsgBox(const std::string& prompt, int buttons, const std::string& title) override
    {
        boxes.push_back({prompt, buttons, title});
        return answer ? answer(boxes.back()) : 1;
    }
    void setCaption(const std::string& caption) override { captions.push_back(caption); }
    void DoEvents() override
    {
        ++yields;
        if (atYield)
            atYield(yields);
    }
    bool Closing() const override { return closing; }
    bool CancelAction() const override { return cancelAction; }
    void setCancelAction(bool value) override { cancelAction = value; }
    void setMsgAnswer(int32_t value) override { msgAnswer = value; }
    void ShowEntryAttributes(const std::string& path) override { shown.push_back(path); }

    std::function<int(const Box&)> answer;
    std::function<void(int yield)> atYield;
    std::vector<Box> boxes;
    std::vector<std::string> captions;
    std::vector<std::string> shown;
    int yields = 0;
    bool closing = false;
    bool cancelAction = false;
    int32_t msgAnswer = 0;
};

// Rows of a result list box: paths, which of them are selected, and the
// entries they named when added, as the walk records them.  A
// command that takes rows of its own kind gets them with its base here.
template <typename Rows> class FakeRowsOf : public Rows {
public:
    std::vector<std::string> paths;
    std::vector<bool> selected;
    std::vector<platform::EntryIdentity> identities;
    int32_t listIndex = -1;
    // Reading row `failAt` throws once, as a list that cannot be read would.
    int32_t failAt = -1;

    int32_t ListCount() const override { return static_cast<int32_t>(paths.size()); }
    bool Selected(int32_t row) const override { return selected.at(static_cast<size_t>(row)); }
    std::string ListPath(int32_t row) const override
    {
        if (row == failAt && !failed_) {
            failed_ = true;
            throw Error{ErrorNumber::OutOfMemory, "Out of memory"};
        }
        return row >= 0 && row < ListCount() ? paths[static_cast<size_t>(row)] : std::string();
    }
    platform::EntryIdentity ListIdentity(int32_t row) const override
    {
        return row >= 0 && row < ListCount() ? identities[static_cast<size_t>(row)]
                                             : platform::EntryIdentity{};
    }
    int32_t SelCount() const override
    {
        return static_cast<int32_t>(std::count(selected.begin(), selected.end(), true));
    }
    int32_t ListIndex() const override { return listIndex; }

    void add(const std::string& path, bool isSelected)
    {
        paths.push_back(path);
        selected.push_back(isSelected);
        struct stat st {};
        identities.push_back(::lstat(path.c_str(), &st) == 0
                                 ? platform::EntryIdentity{st.st_dev, st.st_ino}
                                 : platform::EntryIdentity{});
    }

private:
    mutable bool failed_ = false;
};

using FakeRows = FakeRowsOf<SelectedRows>;

} // namespace umbrix::test
