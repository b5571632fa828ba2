#pragma once

// The seek keys move the play position by a step chosen by the exact shift
// state: none 1 s, Shift 5 s, Ctrl 10 s, Alt 30 s; any other state gives 0.
namespace playerstep {

double stepForShift(int shift);

// The new position after a forward (>) or backward (<) step from `position`.
// Forward has no upper bound (the player ends the clip); backward stops at 0.
double steppedPosition(double position, bool forward, int shift);

}
