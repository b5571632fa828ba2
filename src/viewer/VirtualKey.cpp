#include "viewer/VirtualKey.h"

#include <QKeyEvent>

namespace {

int16_t codeFor(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return int16_t(key);                       // 'A'..'Z' are 65..90 in both
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return int16_t(keypad ? 96 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return int16_t(112 + (key - Qt::Key_F1));
    if (keypad) {
        switch (key) {
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Slash: return 111;
        case Qt::Key_Period:
        case Qt::Key_Comma: return 110;
        case Qt::Key_Enter: return 13;
        default: break;
        }
    }
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    // Punctuation keys of a US keyboard, shifted or not.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    // Shifted digits arrive as their symbols.
    case Qt::Key_Exclam: return 49;
    case Qt::Key_At: return 50;
    case Qt::Key_NumberSign: return 51;
    case Qt::Key_Dollar: return 52;
    case Qt::Key_Percent: return 53;
    case Qt::Key_AsciiCircum: return 54;
    case Qt::Key_Ampersand: return 55;
    case Qt::Key_Asterisk: return 56;
    case Qt::Key_ParenLeft: return 57;
    case Qt::Key_ParenRight: return 48;
    default: return 0;
    }
}

// The key a US keyboard has at an XKB key code (evdev's code + 8, which Qt
// reports as the native scan code on X11 and Wayland), or 0.
int usKeyAt(quint32 scanCode)
{
    static const char rows[][14] = {
        "1234567890-=",   // 10..21
        "QWERTYUIOP[]",   // 24..35
        "ASDFGHJKL;'`",   // 38..49
        "\\ZXCVBNM,./",  // 51..61
    };
    static const quint32 starts[] = {10, 24, 38, 51};
    for (int r = 0; r < 4; ++r) {
        const quint32 i = scanCode - starts[r];
        if (scanCode >= starts[r] && i < qstrlen(rows[r]))
            return int(uchar(rows[r][i])); // Qt's codes for these are their ASCII codes
    }
    return 0;
}

bool isTopRowDigit(quint32 scanCode)
{
    return scanCode >= 10 && scanCode <= 19;
}

} // namespace

bool toVirtualKey(int qtKey, int qtModifiers, int16_t &keyCode, int16_t &shift)
{
    const Qt::KeyboardModifiers mods(qtModifiers);
    const int16_t code = codeFor(qtKey, mods.testFlag(Qt::KeypadModifier));
    if (code == 0)
        return false;
    keyCode = code;
    shift = int16_t((mods.testFlag(Qt::ShiftModifier) ? 1 : 0) | (mods.testFlag(Qt::ControlModifier) ? 2 : 0)
                    | (mods.testFlag(Qt::AltModifier) ? 4 : 0));
    return true;
}

bool toVirtualKey(const QKeyEvent &event, int16_t &keyCode, int16_t &shift)
{
    // Keys follow the keyboard: a letter by the layout's Latin letter where
    // it has one, else (Cyrillic, Greek, ...) by where the key sits on a US
    // keyboard; digits by their place in the top row, so the French key
    // that bears 1 (unshifted "&") is 1. A key away from the top row that
    // types nothing the table knows, or a digit's US symbol, is taken by its
    // place too: the German Ü key and the French $ key are the brackets, and
    // the German + key still zooms. Synthetic events carry no scan code and
    // are taken by their key alone.
    const quint32 scan = event.nativeScanCode();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    int key = event.key();
    const bool latinLetter = key >= Qt::Key_A && key <= Qt::Key_Z;
    if (scan != 0 && !keypad && !latinLetter) {
        const int usKey = usKeyAt(scan);
        const int16_t code = codeFor(key, false);
        const bool digitSymbol = code >= '0' && code <= '9' && !(key >= Qt::Key_0 && key <= Qt::Key_9);
        if (isTopRowDigit(scan) || (usKey != 0 && (code == 0 || digitSymbol)))
            key = usKey;
    }
    return toVirtualKey(key, int(event.modifiers()), keyCode, shift);
}
