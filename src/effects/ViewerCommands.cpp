#include "effects/ViewerCommands.h"

#include "effects/ColourEffects.h"
#include "effects/LosslessTurn.h"

#include <QHash>

namespace {
using vk::letter;
using vk::digit;

template <KeyAction A, int a = 0, int b = 0, int c = 0, int d = 0>
KeyCommand fixed(int16_t) { return {A, a, b, c, d}; }

// R, G and B: keep (0), remove (Shift), XOR (Ctrl), raise (Alt) one channel.
template <int Channel>
KeyCommand channelTint(int16_t shift)
{
    auto in = [](int v, int other, int mode) {
        int c[3] = {other, other, other};
        c[Channel] = v;
        return KeyCommand{KeyAction::Tint, c[0], c[1], c[2], mode};
    };
    switch (shift) {
    case 0: return in(255, 0, TintMask);
    case ShiftKey: return in(0, 255, TintMask);
    case CtrlKey: return in(255, 0, TintXor);
    case AltKey: return in(155, 0, TintMerge);
    default: return {};
    }
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

template <int Direction>
KeyCommand seek(int16_t shift)
{
    const int s = seekStep(shift);
    return s ? KeyCommand{KeyAction::Seek, Direction * s} : KeyCommand{};
}

// The arrows move the picture the other way from the viewpoint.
template <int Dx, int Dy>
KeyCommand pan(int16_t shift) { return {KeyAction::Pan, Dx * panStep(shift), Dy * panStep(shift)}; }

template <int Sign>
KeyCommand zoom(int16_t shift) { return {KeyAction::Zoom, Sign * (shift + 2)}; }

template <int Mode>
KeyCommand brightness(int16_t shift) { return {KeyAction::Brightness, Mode, shift}; }

KeyCommand rotate(int16_t shift) { return {KeyAction::Rotate, shift}; }
KeyCommand print(int16_t shift) { return {KeyAction::Print, shift}; }

template <losslessturn::Turn T>
KeyCommand turnFile(int16_t) { return {KeyAction::TurnFile, int(T)}; }

class Row {
public:
    Row(int16_t key, int16_t shift, bool any, KeyCommand (*command)(int16_t), const char *name)
    {
        m_row.keyCode = key;
        m_row.shift = shift;
        m_row.anyShift = any;
        m_row.command = command;
        m_row.keyName = QString::fromLatin1(name);
    }
    Row &menu(const char *path, const char *caption)
    {
        m_row.menuPath = QString::fromLatin1(path);
        m_row.menuCaption = QString::fromLatin1(caption);
        return *this;
    }
    Row &ref(const char *line)
    {
        m_row.reference = QString::fromLatin1(line);
        return *this;
    }
    operator ViewerCommand() const { return m_row; }

private:
    ViewerCommand m_row;
};

// The key with any shift state no other row of it names.
Row any(int16_t key, const char *name, KeyCommand (*command)(int16_t)) { return Row(key, 0, true, command, name); }
// The key with exactly this shift state.
Row with(int16_t key, int16_t shift, const char *name, KeyCommand (*command)(int16_t))
{
    return Row(key, shift, false, command, name);
}

std::vector<ViewerCommand> buildTable()
{
    using A = KeyAction;
    using T = losslessturn::Turn;
    return {
        with(vk::F9, 0, "F9", fixed<A::Undo>).menu("mnuUndo", "Undo")
            .ref("F9 - Undo the last change to the picture"),
        with(vk::F9, ShiftKey, "F9", fixed<A::Redo>).menu("mnuRedo", "Redo")
            .ref("Shift + F9 - Redo the change undone last"),
        any(vk::Backspace, "Backspace", fixed<A::PreviousFile>).menu("mnuMfile/mnuPrev", "Previous")
            .ref("BACKSPACE - View previous file in list"),
        any(vk::Space, "Space", fixed<A::NextFile>).menu("mnuMfile/mnuNext", "Next")
            .ref("SPACE - View next file in list"),
        any(vk::Escape, "Esc", fixed<A::CloseViewer>).menu("mnuMfile/mnuClose", "Close"),
        any(letter('X'), "X", fixed<A::Save>).menu("mnuMfile/mnuSave", "Save").ref("X - Save file to disk"),
        any(letter('W'), "W", fixed<A::Wallpaper>).menu("mnuMfile/mnuDeskWall", "Set as Desktop Wallpaper")
            .ref("W - Set picture as desktop wallpaper."),
        any(letter('I'), "I", fixed<A::ShowInfo>).menu("mnuMfile/mnuInfo", "Information")
            .ref("I - Show or hide the picture's information"),
        with(letter('C'), CtrlKey, "C", fixed<A::Copy>).menu("mnuMfile/mnuCopyClip", "Copy")
            .ref("Ctrl + C - Copy to clipboard"),
        any(letter('Q'), "Q", print).menu("mnuMfile/mnuPrint/mnuPrtPort", "Portrait")
            .ref("Q - Print file in portrait mode"),
        with(letter('Q'), ShiftKey, "Q", print).menu("mnuMfile/mnuPrint/mnuPrtLand", "Landscape")
            .ref("Shift + Q - Print file in landscape mode"),
        any(vk::F8, "F8", fixed<A::TrashFile>).menu("mnuMfile/mnuTrash", "Move to Trash")
            .ref("F8 - Move the file to the Trash and view the next one"),
        with(vk::BracketRight, 0, "RightBracket", turnFile<T::Right>)
            .menu("mnuMfile/mnuTurnFile/mnuTurnRight", "Turn Right")
            .ref("] - Turn the JPEG file itself right, without loss"),
        with(vk::BracketLeft, 0, "LeftBracket", turnFile<T::Left>)
            .menu("mnuMfile/mnuTurnFile/mnuTurnLeft", "Turn Left")
            .ref("[ - Turn the JPEG file itself left, without loss"),
        with(vk::BracketRight, ShiftKey, "RightBracket", turnFile<T::FlipHorizontal>)
            .menu("mnuMfile/mnuTurnFile/mnuFlipFileH", "Flip Left to Right")
            .ref("Shift + ] - Flip the JPEG file itself left to right, without loss"),
        with(vk::BracketLeft, ShiftKey, "LeftBracket", turnFile<T::FlipVertical>)
            .menu("mnuMfile/mnuTurnFile/mnuFlipFileV", "Flip Top to Bottom")
            .ref("Shift + [ - Flip the JPEG file itself top to bottom, without loss"),

        with(letter('R'), 0, "R", channelTint<0>).menu("mnuColours/mnuFilter/mnuRfilter", "Keep Red")
            .ref("R - filters red component"),
        with(letter('G'), 0, "G", channelTint<1>).menu("mnuColours/mnuFilter/mnuGFilter", "Keep Green")
            .ref("G - filters green component"),
        with(letter('B'), 0, "B", channelTint<2>).menu("mnuColours/mnuFilter/mnuBfilter", "Keep Blue")
            .ref("B - filters blue component"),
        with(letter('R'), ShiftKey, "R", channelTint<0>).menu("mnuColours/mnuFilter/mnuFCyan", "Remove Red")
            .ref("Shift + R - blocks red component"),
        with(letter('G'), ShiftKey, "G", channelTint<1>).menu("mnuColours/mnuFilter/mnuFMagenta", "Remove Green")
            .ref("Shift + G - blocks green component"),
        with(letter('B'), ShiftKey, "B", channelTint<2>).menu("mnuColours/mnuFilter/mnuFYellow", "Remove Blue")
            .ref("Shift + B - blocks blue component"),
        with(letter('R'), CtrlKey, "R", channelTint<0>).menu("mnuColours/mnuXor/mnuXRed", "Red")
            .ref("Ctrl + R - XOR red component"),
        with(letter('G'), CtrlKey, "G", channelTint<1>).menu("mnuColours/mnuXor/mnuXGreen", "Green")
            .ref("Ctrl + G - XOR green component"),
        with(letter('B'), CtrlKey, "B", channelTint<2>).menu("mnuColours/mnuXor/mnuXBlue", "Blue")
            .ref("Ctrl + B - XOR blue component"),
        with(letter('R'), AltKey, "R", channelTint<0>).menu("mnuColours/mnuAddCol/mnuARed", "Red")
            .ref("Alt + R - increase red component"),
        with(letter('G'), AltKey, "G", channelTint<1>).menu("mnuColours/mnuAddCol/mnuAGreen", "Green")
            .ref("Alt + G - increase green component"),
        with(letter('B'), AltKey, "B", channelTint<2>).menu("mnuColours/mnuAddCol/mnuABlue", "Blue")
            .ref("Alt + B - increase blue component"),
        any(letter('Y'), "Y", brightness<0>).menu("mnuColours/mnuLight/mnult1", "Level 1")
            .ref("Y - Lightens picture colour"),
        with(letter('Y'), ShiftKey, "Y", brightness<0>).menu("mnuColours/mnuLight/mnult2", "Level 2"),
        with(letter('Y'), CtrlKey, "Y", brightness<0>).menu("mnuColours/mnuLight/mnult3", "Level 3"),
        with(letter('Y'), AltKey, "Y", brightness<0>).menu("mnuColours/mnuLight/mnult4", "Level 4"),
        any(letter('U'), "U", brightness<1>).menu("mnuColours/mnuDark/mnudk1", "Level 1")
            .ref("U - Darkens picture colour"),
        with(letter('U'), ShiftKey, "U", brightness<1>).menu("mnuColours/mnuDark/mnudk2", "Level 2"),
        with(letter('U'), CtrlKey, "U", brightness<1>).menu("mnuColours/mnuDark/mnudk3", "Level 3"),
        with(letter('U'), AltKey, "U", brightness<1>).menu("mnuColours/mnuDark/mnudk4", "Level 4"),
        any(letter('N'), "N", fixed<A::Tint, 0, 0, 0, TintInvert>).menu("mnuColours/mnuInvert", "Invert")
            .ref("N - Invert colours (Negative)"),

        any(letter('H'), "H", fixed<A::FlipLeftRight>).menu("mnuShift/mnuHflip", "Horizontal Flip")
            .ref("H - flip picture horizontally"),
        any(letter('V'), "V", fixed<A::FlipTopBottom>).menu("mnuShift/mnuVflip", "Vertical Flip")
            .ref("V - flip picture vertically"),
        any(letter('T'), "T", rotate).menu("mnuShift/mnuRotate/mnuRot90", "90").ref("T - rotate image"),
        with(letter('T'), ShiftKey, "T", rotate).menu("mnuShift/mnuRotate/mnuRot180", "180"),
        with(letter('T'), CtrlKey, "T", rotate).menu("mnuShift/mnuRotate/mnuRot270", "270"),
        any(letter('S'), "S", fixed<A::Stretch>).menu("mnuShift/mnuStretch", "Stretch")
            .ref("S - stretch picture to fit screen size"),
        any(letter('L'), "L", fixed<A::FitWidth>).menu("mnuShift/mnuFitW", "Fit Width")
            .ref("L - Size picture length to fit in screen"),
        any(letter('K'), "K", fixed<A::FitHeight>).menu("mnuShift/mnuFitH", "Fit Height")
            .ref("K - Size picture height to fit in screen"),
        any(vk::Plus, "Plus", zoom<1>).menu("mnuShift/mnuZoom/mnuZoomI2", "+2").ref("+ - Zoom In"),
        with(vk::Plus, ShiftKey, "Plus", zoom<1>).menu("mnuShift/mnuZoom/mnuZoomI3", "+3"),
        with(vk::Plus, CtrlKey, "Plus", zoom<1>).menu("mnuShift/mnuZoom/mnuZoomI4", "+4"),
        with(vk::Plus, AltKey, "Plus", zoom<1>).menu("mnuShift/mnuZoom/mnuZoomI6", "+6"),
        any(vk::Minus, "Minus", zoom<-1>).menu("mnuShift/mnuZoom/mnuZoomO2", "-2").ref("- - Zoom Out"),
        with(vk::Minus, ShiftKey, "Minus", zoom<-1>).menu("mnuShift/mnuZoom/mnuZoomO3", "-3"),
        with(vk::Minus, CtrlKey, "Minus", zoom<-1>).menu("mnuShift/mnuZoom/mnuZoomO4", "-4"),
        with(vk::Minus, AltKey, "Minus", zoom<-1>).menu("mnuShift/mnuZoom/mnuZoomO6", "-6"),

        any(digit(1), "1", fixed<A::Wave, 1, 1>).menu("mnuDeform/mnuWave/mnuWave1", "1")
            .ref("1 - Sine Wave Amplitude 1, Wavelength 1"),
        any(digit(2), "2", fixed<A::Wave, 2, 1>).menu("mnuDeform/mnuWave/mnuWave2", "2")
            .ref("2 - Sine Wave Amplitude 2, Wavelength 1"),
        any(digit(3), "3", fixed<A::Wave, 1, 2>).menu("mnuDeform/mnuWave/mnuWave3", "3")
            .ref("3 - Sine Wave Amplitude 1, Wavelength 2"),
        any(digit(4), "4", fixed<A::Wave, 2, 2>).menu("mnuDeform/mnuWave/mnuWave4", "4")
            .ref("4 - Sine Wave Amplitude 2, Wavelength 2"),
        any(digit(5), "5", fixed<A::Wave, 1, 4>).menu("mnuDeform/mnuWave/mnuWave5", "5")
            .ref("5 - Sine Wave Amplitude 1, Wavelength 4"),
        any(digit(6), "6", fixed<A::Wave, 4, 4>).menu("mnuDeform/mnuWave/mnuWave6", "6")
            .ref("6 - Sine Wave Amplitude 4, Wavelength 4"),
        any(digit(7), "7", fixed<A::AddNoise>).menu("mnuDeform/mnuNoise", "Add Noise").ref("7 - Add random noise"),
        any(digit(8), "8", fixed<A::Pixelise, 4>).menu("mnuDeform/mnuPixel/mnuPix4", "x4")
            .ref("8 - pixelise image x4"),
        any(digit(9), "9", fixed<A::Pixelise, 8>).menu("mnuDeform/mnuPixel/mnuPix8", "x8")
            .ref("9 - pixelise image x8"),
        any(digit(0), "0", fixed<A::Pixelise, 16>).menu("mnuDeform/mnuPixel/mnuPix16", "x16")
            .ref("0 - pixelise image x16"),
        any(letter('Z'), "Z", fixed<A::Edge>).menu("mnuDeform/mnuEdge", "Edge Detect").ref("Z - Edge detect"),
        with(letter('Z'), ShiftKey, "Z", fixed<A::Emboss>).menu("mnuDeform/mnuEmboss", "Emboss")
            .ref("Shift + Z - Emboss"),

        any(vk::Up, "Up", pan<0, 1>).ref("Up - Move Viewpoint Up"),
        any(vk::Down, "Down", pan<0, -1>).ref("Down - Move Viewpoint Down"),
        any(vk::Left, "Left", pan<1, 0>).ref("Left - Move Viewpoint Left"),
        any(vk::Right, "Right", pan<-1, 0>).ref("Right - Move Viewpoint Right"),
        any(letter('P'), "P", fixed<A::PauseResume>).ref("P - Pause/Unpause movie or music"),
        any(vk::Comma, "Comma", seek<-1>).ref("< - Step movie backward"),
        any(vk::Period, "Period", seek<1>).ref("> - Step movie forward"),
        any(vk::Home, "Home", fixed<A::AlignTop>).ref("HOME - Align image with top of screen"),
        any(vk::End, "End", fixed<A::AlignBottom>).ref("END - Align image with bottom of screen"),
        any(vk::Insert, "Ins", fixed<A::AlignLeft>).ref("INS - Align image with left of screen"),
        any(vk::Delete, "Del", fixed<A::AlignRight>).ref("DEL - Align image with right of screen"),
    };
}
} // namespace

const std::vector<ViewerCommand> &viewerCommands()
{
    static const std::vector<ViewerCommand> table = buildTable();
    return table;
}

const std::vector<ViewerSubmenu> &viewerSubmenus()
{
    static const std::vector<ViewerSubmenu> submenus = {
        {"", "&Effects"},
        {"mnuMfile", "&File"},
        {"mnuMfile/mnuPrint", "Print"},
        {"mnuMfile/mnuTurnFile", "Turn File"},
        {"mnuColours", "&Colours"},
        {"mnuColours/mnuFilter", "Filter"},
        {"mnuColours/mnuXor", "XOR"},
        {"mnuColours/mnuAddCol", "Add"},
        {"mnuColours/mnuLight", "Lighten"},
        {"mnuColours/mnuDark", "Darken"},
        {"mnuShift", "&Shifting"},
        {"mnuShift/mnuRotate", "Rotate"},
        {"mnuShift/mnuZoom", "Zoom"},
        {"mnuDeform", "&Deformations"},
        {"mnuDeform/mnuWave", "Wave"},
        {"mnuDeform/mnuPixel", "Pixelise"},
    };
    return submenus;
}

const ViewerCommand *findViewerCommand(int16_t keyCode, int16_t shift)
{
    const ViewerCommand *anyRow = nullptr;
    for (const ViewerCommand &row : viewerCommands()) {
        if (row.keyCode != keyCode)
            continue;
        if (row.shift == shift)
            return &row;
        if (row.anyShift)
            anyRow = &row;
    }
    return anyRow;
}

QString keyLabel(const ViewerCommand &row)
{
    static const QHash<QString, QString> symbols = {
        {"Plus", "+"},  {"Minus", "-"},        {"Comma", ","},        {"Period", "."},
        {"LeftBracket", "["}, {"RightBracket", "]"},
    };
    QString label;
    for (const auto &[bit, name] : {std::pair{CtrlKey, "Ctrl+"}, {AltKey, "Alt+"}, {ShiftKey, "Shift+"}})
        if (row.shift & bit)
            label += QLatin1String(name);
    return label + symbols.value(row.keyName, row.keyName);
}

int16_t viewerKeyNamed(const QString &name)
{
    for (const ViewerCommand &row : viewerCommands())
        if (row.keyName.compare(name, Qt::CaseInsensitive) == 0)
            return row.keyCode;
    return 0;
}
