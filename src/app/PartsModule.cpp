// The module the program loads on first use of a heavy part (LoadedParts).
#include "app/LinkedParts.h"

extern "C" __attribute__((visibility("default"))) OnDemandParts *glintwave_on_demand_parts()
{
    // Lives as long as the process: the module is never unloaded.
    static LinkedParts parts;
    return &parts;
}
