#pragma once
#include <cstdint>

class QKeyEvent;

// Turns a Qt key event into the 16-bit Windows virtual-key code and Shift
// mask (1 Shift, 2 Ctrl, 4 Alt) the key commands are written for. Returns
// false for keys that have no code (the event is then not a command).
bool toVirtualKey(const QKeyEvent &event, int16_t &keyCode, int16_t &shift);

// The same for a Qt key code and modifiers (keypad keys need the keypad
// modifier).
bool toVirtualKey(int qtKey, int qtModifiers, int16_t &keyCode, int16_t &shift);
