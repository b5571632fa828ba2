#include "effects/KeyCommand.h"

#include "effects/ViewerCommands.h"

int panStep(int16_t shift)
{
    switch (shift) {
    case ShiftKey: return 10;
    case CtrlKey: return 50;
    case AltKey: return 300;
    default: return 1;
    }
}

KeyCommand decodeKey(int16_t keyCode, int16_t shift)
{
    const ViewerCommand *row = findViewerCommand(keyCode, shift);
    return row ? row->command(shift) : KeyCommand{};
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
    for (const ViewerCommand &row : viewerCommands())
        if (row.keyCode == keyCode)
            return name + row.keyName;
    if ((keyCode >= vk::Digit0 && keyCode <= vk::Digit0 + 9) || (keyCode >= vk::KeyA && keyCode < vk::KeyA + 26))
        return name + QChar(keyCode);
    return name + QString::number(keyCode);
}
