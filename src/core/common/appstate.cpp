#include "core/common/appstate.h"

namespace tarvex {

AppState &appState()
{
    static AppState state;
    return state;
}

} // namespace tarvex
