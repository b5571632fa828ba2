#pragma once
// Key presses by X key code, and wheel notches, through the XTest extension,
// as a keyboard and a mouse send them (kept apart: Xlib's macros clash with
// Qt's names).
namespace xtestkeys {
bool available();
void press(unsigned keyCode, bool shifted);
// One notch of the wheel with the pointer at x, y on the screen.
void wheel(int x, int y, bool down);
} // namespace xtestkeys
