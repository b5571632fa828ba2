#include "AppState.h"
#include "OptionSet.h"

#include <algorithm>
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

#include "NumberText.h"

int OptionSet::viewModeValue() const { return static_cast<int>(leadingNumber(ViewMode)); }
int OptionSet::thumbSizeValue() const
{
    const int v = static_cast<int>(leadingNumber(ThumbSize));
    return v >= 1 ? v : 100;
}
double OptionSet::slideDelayValue() const { return leadingNumber(SlideDelay); }
int OptionSet::slideIntervalMs() const
{
    const double seconds = std::clamp(slideDelayValue(), SlideDelayMin, SlideDelayMax);
    return static_cast<int>(std::lround(seconds * 1000.0));
}
int OptionSet::sortColValue() const { return static_cast<int>(leadingNumber(SortCol)); }
int OptionSet::sortDirValue() const { return static_cast<int>(leadingNumber(SortDir)); }
