#pragma once

#include "search/SearchState.h"

#include <cstdint>
#include <string>

namespace umbrix {

// The program's state, shared by the main window's handlers and the work
// they start.  Handlers that run during a yield talk to the operation that
// yielded only through these flags.  The application creates the one
// instance and hands it to the main window; a search gets its options and
// flags from it as parameters.  Paths (CurrentPath) are bytes; the search
// texts are UTF-8 as typed.
struct AppState : SearchOptions, SearchFlags {
    int32_t MsgAnswer = 0;
    bool Closing = false;
    bool Busy = false;
    int16_t DirChanged = 0;
    std::string CurrentPath;
};

// Busy while the program itself changes controls (a box's selection, the
// panel's check boxes), so that their change handlers stand aside.
class BusyScope {
public:
    explicit BusyScope(AppState& state) : state_(state) { state_.Busy = true; }
    ~BusyScope() { state_.Busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    AppState& state_;
};

} // namespace umbrix
