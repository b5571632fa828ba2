#pragma once
#include <cstdint>

class QKeyEvent;

struct VirtualKey {
    int16_t keyCode = 0; // Windows virtual-key code, 0 for a key with none
    int16_t shift = 0;   // 1 Shift, 2 Ctrl, 4 Alt
};

// The one place where Qt key events become the key codes and Shift mask of
// the command table.
VirtualKey toVirtualKey(const QKeyEvent &event);
