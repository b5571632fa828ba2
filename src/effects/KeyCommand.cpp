#include "effects/KeyCommand.h"

#include "effects/ColourEffects.h"

int panStep(int16_t shift)
{
    switch (shift) {
    case ShiftKey: return 10;
    case CtrlKey: return 50;
    case AltKey: return 300;
    default: return 1;
    }
}

namespace {
// R, G and B: keep (0), remove (Shift), XOR (Ctrl), raise (Alt) one channel.
KeyCommand channelTint(int channel, int16_t shift)
{
    auto in = [channel](int v, int other) {
        int c[3] = {other, other, other};
        c[channel] = v;
        return KeyCommand{KeyAction::Tint, c[0], c[1], c[2], 0};
    };
    KeyCommand k;
    switch (shift) {
    case 0: k = in(255, 0); k.d = TintMask; break;
    case ShiftKey: k = in(0, 255); k.d = TintMask; break;
    case CtrlKey: k = in(255, 0); k.d = TintXor; break;
    case AltKey: k = in(155, 0); k.d = TintMerge; break;
    default: return {};
    }
    return k;
}

int seekStep(int16_t shift)
{
    switch (shift) {
    case 0: return 1;
    case ShiftKey: return 5;
    case CtrlKey: return 10;
    case AltKey: return 30;
    default: return 0;
    }
}
} // namespace

KeyCommand decodeKey(int16_t keyCode, int16_t shift)
{
    const int step = panStep(shift);
    switch (keyCode) {
    case vk::Escape: return {KeyAction::CloseViewer};
    case vk::letter('H'): return {KeyAction::FlipLeftRight};
    case vk::letter('V'): return {KeyAction::FlipTopBottom};
    case vk::letter('S'): return {KeyAction::Stretch};
    case vk::letter('T'): return {KeyAction::Rotate, shift};
    case vk::digit(1): return {KeyAction::Wave, 1, 1};
    case vk::digit(2): return {KeyAction::Wave, 2, 1};
    case vk::digit(3): return {KeyAction::Wave, 1, 2};
    case vk::digit(4): return {KeyAction::Wave, 2, 2};
    case vk::digit(5): return {KeyAction::Wave, 1, 4};
    case vk::digit(6): return {KeyAction::Wave, 4, 4};
    case vk::digit(7): return {KeyAction::AddNoise};
    case vk::digit(8): return {KeyAction::Pixelise, 4};
    case vk::digit(9): return {KeyAction::Pixelise, 8};
    case vk::digit(0): return {KeyAction::Pixelise, 16};
    case vk::Up: return {KeyAction::Pan, 0, step};
    case vk::Down: return {KeyAction::Pan, 0, -step};
    case vk::Left: return {KeyAction::Pan, step, 0};
    case vk::Right: return {KeyAction::Pan, -step, 0};
    case vk::letter('R'): return channelTint(0, shift);
    case vk::letter('G'): return channelTint(1, shift);
    case vk::letter('B'): return channelTint(2, shift);
    case vk::letter('N'): return {KeyAction::Tint, 0, 0, 0, TintInvert};
    case vk::Plus: return {KeyAction::Zoom, shift + 2};
    case vk::Minus: return {KeyAction::Zoom, -(shift + 2)};
    case vk::letter('P'): return {KeyAction::PauseResume};
    case vk::Period: {
        const int s = seekStep(shift);
        return s ? KeyCommand{KeyAction::Seek, s} : KeyCommand{};
    }
    case vk::Comma: {
        const int s = seekStep(shift);
        return s ? KeyCommand{KeyAction::Seek, -s} : KeyCommand{};
    }
    case vk::Space: return {KeyAction::NextFile};
    case vk::Backspace: return {KeyAction::PreviousFile};
    case vk::Home: return {KeyAction::AlignTop};
    case vk::End: return {KeyAction::AlignBottom};
    case vk::Insert: return {KeyAction::AlignLeft};
    case vk::Delete: return {KeyAction::AlignRight};
    case vk::letter('L'): return {KeyAction::FitWidth};
    case vk::letter('K'): return {KeyAction::FitHeight};
    case vk::letter('U'): return {KeyAction::Brightness, 1, shift};
    case vk::letter('Y'): return {KeyAction::Brightness, 0, shift};
    case vk::letter('Z'): return {shift == ShiftKey ? KeyAction::Emboss : KeyAction::Edge};
    case vk::letter('C'): return shift == CtrlKey ? KeyCommand{KeyAction::Copy} : KeyCommand{};
    case vk::letter('X'): return {KeyAction::Save};
    case vk::letter('Q'): return {KeyAction::Print, shift};
    case vk::letter('W'): return {KeyAction::Wallpaper};
    default: return {};
    }
}

bool isPictureCommand(KeyAction action)
{
    switch (action) {
    case KeyAction::FlipLeftRight: case KeyAction::FlipTopBottom: case KeyAction::Stretch:
    case KeyAction::Rotate: case KeyAction::Wave: case KeyAction::AddNoise:
    case KeyAction::Pixelise: case KeyAction::Pan: case KeyAction::Tint: case KeyAction::Zoom:
    case KeyAction::AlignTop: case KeyAction::AlignBottom: case KeyAction::AlignLeft:
    case KeyAction::AlignRight: case KeyAction::FitWidth: case KeyAction::FitHeight:
    case KeyAction::Brightness: case KeyAction::Emboss: case KeyAction::Edge:
        return true;
    default:
        return false;
    }
}

QString keyName(int16_t keyCode, int16_t shift)
{
    QString name;
    if (shift & CtrlKey) name += "Ctrl+";
    if (shift & ShiftKey) name += "Shift+";
    if (shift & AltKey) name += "Alt+";
    switch (keyCode) {
    case vk::Backspace: return name + "Backspace";
    case vk::Escape: return name + "Esc";
    case vk::Space: return name + "Space";
    case vk::End: return name + "End";
    case vk::Home: return name + "Home";
    case vk::Left: return name + "Left";
    case vk::Up: return name + "Up";
    case vk::Right: return name + "Right";
    case vk::Down: return name + "Down";
    case vk::Insert: return name + "Ins";
    case vk::Delete: return name + "Del";
    case vk::Plus: return name + "Plus";
    case vk::Minus: return name + "Minus";
    case vk::Comma: return name + "Comma";
    case vk::Period: return name + "Period";
    default: break;
    }
    if ((keyCode >= vk::Digit0 && keyCode <= vk::Digit0 + 9) || (keyCode >= vk::KeyA && keyCode < vk::KeyA + 26))
        return name + QChar(keyCode);
    return name + QString::number(keyCode);
}
