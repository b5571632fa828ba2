#pragma once
// Key presses by X key code through the XTest extension, as a keyboard sends
// them (kept apart: Xlib's macros clash with Qt's names).
namespace xtestkeys {
bool available();
void press(unsigned keyCode, bool shifted);
} // namespace xtestkeys
