#include "QtKeyCodes.h"

#include "KeyCommand.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {
// X11 and Wayland key codes (evdev + 8) of the digit row 1..9, 0: the
// digit keys keep their codes whatever the layout puts on them with Shift.
int16_t digitRowKey(quint32 scanCode)
{
    if (scanCode >= 10 && scanCode <= 19)
        return vk::digit(int(scanCode - 9) % 10);
    return 0;
}

bool nativeCodesAreEvdev()
{
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("xcb") || p.startsWith(QLatin1String("wayland"));
}
} // namespace

VirtualKey toVirtualKey(const QKeyEvent &event)
{
    VirtualKey v;
    const Qt::KeyboardModifiers m = event.modifiers();
    if (m & Qt::ShiftModifier) v.shift |= ShiftKey;
    if (m & Qt::ControlModifier) v.shift |= CtrlKey;
    if (m & Qt::AltModifier) v.shift |= AltKey;

    const int key = event.key();
    if (m & Qt::KeypadModifier) {
        switch (key) {
        case Qt::Key_Plus: v.keyCode = vk::KeypadPlus; return v;
        case Qt::Key_Minus: v.keyCode = vk::KeypadMinus; return v;
        case Qt::Key_Asterisk: v.keyCode = 106; return v;
        case Qt::Key_Slash: v.keyCode = 111; return v;
        default:
            if (key >= Qt::Key_0 && key <= Qt::Key_9) {
                v.keyCode = int16_t(96 + key - Qt::Key_0); // the keypad digits
                return v;
            }
            break; // keypad arrows, Home, End... are the same keys as the others
        }
    }

    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        v.keyCode = int16_t(vk::KeyA + key - Qt::Key_A);
        return v;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        v.keyCode = vk::digit(key - Qt::Key_0);
        return v;
    }
    if (nativeCodesAreEvdev()) {
        if (const int16_t d = digitRowKey(event.nativeScanCode())) {
            v.keyCode = d;
            return v;
        }
    }
    switch (key) {
    case Qt::Key_Escape: v.keyCode = vk::Escape; break;
    case Qt::Key_Backspace: v.keyCode = vk::Backspace; break;
    case Qt::Key_Space: v.keyCode = vk::Space; break;
    case Qt::Key_Home: v.keyCode = vk::Home; break;
    case Qt::Key_End: v.keyCode = vk::End; break;
    case Qt::Key_Insert: v.keyCode = vk::Insert; break;
    case Qt::Key_Delete: v.keyCode = vk::Delete; break;
    case Qt::Key_Left: v.keyCode = vk::Left; break;
    case Qt::Key_Up: v.keyCode = vk::Up; break;
    case Qt::Key_Right: v.keyCode = vk::Right; break;
    case Qt::Key_Down: v.keyCode = vk::Down; break;
    case Qt::Key_Return: case Qt::Key_Enter: v.keyCode = 13; break;
    case Qt::Key_Tab: case Qt::Key_Backtab: v.keyCode = 9; break;
    // The "=" key gives "+" with Shift, "-" gives "_", "," gives "<", "." gives ">".
    case Qt::Key_Equal: case Qt::Key_Plus: v.keyCode = vk::Plus; break;
    case Qt::Key_Minus: case Qt::Key_Underscore: v.keyCode = vk::Minus; break;
    case Qt::Key_Comma: case Qt::Key_Less: v.keyCode = vk::Comma; break;
    case Qt::Key_Period: case Qt::Key_Greater: v.keyCode = vk::Period; break;
    // Shifted digits when no key code tells the row (US layout).
    case Qt::Key_Exclam: v.keyCode = vk::digit(1); break;
    case Qt::Key_At: v.keyCode = vk::digit(2); break;
    case Qt::Key_NumberSign: v.keyCode = vk::digit(3); break;
    case Qt::Key_Dollar: v.keyCode = vk::digit(4); break;
    case Qt::Key_Percent: v.keyCode = vk::digit(5); break;
    case Qt::Key_AsciiCircum: v.keyCode = vk::digit(6); break;
    case Qt::Key_Ampersand: v.keyCode = vk::digit(7); break;
    case Qt::Key_Asterisk: v.keyCode = vk::digit(8); break;
    case Qt::Key_ParenLeft: v.keyCode = vk::digit(9); break;
    case Qt::Key_ParenRight: v.keyCode = vk::digit(0); break;
    case Qt::Key_Shift: v.keyCode = 16; break;
    case Qt::Key_Control: v.keyCode = 17; break;
    case Qt::Key_Alt: v.keyCode = 18; break;
    default: v.keyCode = 0; break;
    }
    return v;
}
