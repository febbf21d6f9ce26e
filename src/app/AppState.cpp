#include "app/AppState.h"

namespace umbrix {

AppState& app()
{
    static AppState state;
    return state;
}

void resetAppState()
{
    app() = AppState{};
}

} // namespace umbrix
