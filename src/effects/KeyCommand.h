#pragma once
#include <QString>
#include <cstdint>

// Windows virtual-key codes the viewer's command table uses.
namespace vk {
enum : int16_t {
    Backspace = 8, Escape = 27, Space = 32, End = 35, Home = 36,
    Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46,
    Digit0 = 48, KeyA = 65, KeypadPlus = 107, KeypadMinus = 109,
    F8 = 119, F9 = 120,
    Plus = 187, Comma = 188, Minus = 189, Period = 190, BracketLeft = 219, BracketRight = 221,
};
constexpr int16_t letter(char c) { return int16_t(c - 'A' + KeyA); }
constexpr int16_t digit(int d) { return int16_t(Digit0 + d); }
}

// The Shift mask bits.
enum ShiftMask : int16_t { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

enum class KeyAction {
    None,
    CloseViewer,     // Esc
    FlipLeftRight,   // H
    FlipTopBottom,   // V
    Stretch,         // S
    Rotate,          // T: a = shift
    Wave,            // 1..6: a = amp, b = wavelength
    AddNoise,        // 7
    Pixelise,        // 8, 9, 0: a = block size
    Pan,             // arrows: a = dx, b = dy (added to left and top)
    Tint,            // R, G, B, N: a = r, b = g, c = b, d = raster operation
    Zoom,            // + and -: a = factor (negative shrinks)
    PauseResume,     // P
    Seek,            // full stop and comma: a = seconds (negative goes back)
    NextFile,        // Space
    PreviousFile,    // Backspace
    AlignTop,        // Home
    AlignBottom,     // End
    AlignLeft,       // Insert
    AlignRight,      // Delete
    FitWidth,        // L
    FitHeight,       // K
    Brightness,      // U, Y: a = mode (1 darken, 0 lighten), b = intensity
    Emboss,          // Shift+Z
    Edge,            // Z otherwise
    Copy,            // Ctrl+C
    Save,            // X
    Print,           // Q: a = shift (0 portrait, else landscape)
    Wallpaper,       // W
    ShowInfo,        // I: the information panel, on or off
    TurnFile,        // [ and ]: a = losslessturn::Turn, the file itself on disk
    TrashFile,       // F8: the file shown to the Trash, then the next one
    Undo,            // F9: the picture as it was before the last change
    Redo,            // Shift+F9: the change undone last, again
};

struct KeyCommand {
    KeyAction action = KeyAction::None;
    int a = 0, b = 0, c = 0, d = 0;
    bool operator==(const KeyCommand &o) const
    {
        return action == o.action && a == o.a && b == o.b && c == o.c && d == o.d;
    }
};

// What a key with a shift state does, from the viewer's command table
// (ViewerCommands). A key or shift state the table does not list gives
// KeyAction::None.
KeyCommand decodeKey(int16_t keyCode, int16_t shift);

// The arrow keys' step in pixels: 10 with Shift, 50 with Ctrl, 300 with Alt,
// 1 for anything else (combinations included).
int panStep(int16_t shift);

// Commands that change only the picture and its place (everything the batch
// mode and applyPictureCommand carry out).
bool isPictureCommand(KeyAction action);

// A readable name for messages and tests ("Ctrl+Shift+U").
QString keyName(int16_t keyCode, int16_t shift);
