#include "AppState.h"
#include "OptionSet.h"

#include <cmath>

AppState &appState()
{
    static AppState state;
    return state;
}

OptionSet &options()
{
    static OptionSet set;
    return set;
}
