#include "core/OptionSet.h"

#include <algorithm>
#include <cmath>

int OptionSet::slideIntervalMs() const
{
    const double seconds = std::clamp(SlideDelay, SlideDelayMin, SlideDelayMax);
    return static_cast<int>(std::lround(seconds * 1000.0));
}
