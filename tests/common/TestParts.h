#pragma once
// The heavy parts (players, page browser, gallery builder, CD player) linked
// into the test, for the main windows it makes; they hold no state.
#include "app/LinkedParts.h"

inline OnDemandParts &testParts()
{
    static LinkedParts parts;
    return parts;
}
