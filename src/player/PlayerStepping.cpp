#include "player/PlayerStepping.h"

namespace playerstep {

double stepForShift(int shift)
{
    switch (shift) {
    case 0: return 1;
    case 1: return 5;
    case 2: return 10;
    case 4: return 30;
    default: return 0;
    }
}

double steppedPosition(double position, bool forward, int shift)
{
    const double step = stepForShift(shift);
    if (forward)
        return position + step;
    const double back = position - step;
    return back < 0 ? 0 : back;
}

}
