#include "effects/ui/EffectsMenu.h"

#include "effects/KeyCommand.h"

#include <QAction>
#include <QMenu>

namespace {
using Item = EffectsMenuItem;

Item leaf(const char *name, const char *caption, int16_t key, int16_t shift = 0)
{
    return Item{QString::fromLatin1(name), QString::fromLatin1(caption), key, shift, {}};
}

Item menu(const char *name, const char *caption, std::vector<Item> children)
{
    return Item{QString::fromLatin1(name), QString::fromLatin1(caption), 0, 0, std::move(children)};
}

Item buildTree()
{
    using vk::letter;
    using vk::digit;
    return menu("mnuEffects", "&Effects", {
        menu("mnuMfile", "&File", {
            leaf("mnuPrev", "Previous", vk::Backspace),
            leaf("mnuNext", "Next", vk::Space),
            leaf("mnuClose", "Close", vk::Escape),
            leaf("mnuSave", "Save", letter('X')),
            leaf("mnuDeskWall", "Set as Desktop Wallpaper", letter('W')),
            leaf("mnuCopyClip", "Copy", letter('C'), CtrlKey),
            menu("mnuPrint", "Print", {
                leaf("mnuPrtPort", "Portrait", letter('Q')),
                leaf("mnuPrtLand", "Landscape", letter('Q'), ShiftKey),
            }),
        }),
        menu("mnuColours", "&Colours", {
            menu("mnuFilter", "Filter", {
                leaf("mnuRfilter", "Keep Red", letter('R')),
                leaf("mnuGFilter", "Keep Green", letter('G')),
                leaf("mnuBfilter", "Keep Blue", letter('B')),
                leaf("mnuFCyan", "Remove Red", letter('R'), ShiftKey),
                leaf("mnuFMagenta", "Remove Green", letter('G'), ShiftKey),
                leaf("mnuFYellow", "Remove Blue", letter('B'), ShiftKey),
            }),
            menu("mnuXor", "XOR", {
                leaf("mnuXRed", "Red", letter('R'), CtrlKey),
                leaf("mnuXGreen", "Green", letter('G'), CtrlKey),
                leaf("mnuXBlue", "Blue", letter('B'), CtrlKey),
            }),
            menu("mnuAddCol", "Add", {
                leaf("mnuARed", "Red", letter('R'), AltKey),
                leaf("mnuAGreen", "Green", letter('G'), AltKey),
                leaf("mnuABlue", "Blue", letter('B'), AltKey),
            }),
            menu("mnuLight", "Lighten", {
                leaf("mnult1", "Level 1", letter('Y')),
                leaf("mnult2", "Level 2", letter('Y'), ShiftKey),
                leaf("mnult3", "Level 3", letter('Y'), CtrlKey),
                leaf("mnult4", "Level 4", letter('Y'), AltKey),
            }),
            menu("mnuDark", "Darken", {
                leaf("mnudk1", "Level 1", letter('U')),
                leaf("mnudk2", "Level 2", letter('U'), ShiftKey),
                leaf("mnudk3", "Level 3", letter('U'), CtrlKey),
                leaf("mnudk4", "Level 4", letter('U'), AltKey),
            }),
            leaf("mnuInvert", "Invert", letter('N')),
        }),
        menu("mnuShift", "&Shifting", {
            leaf("mnuHflip", "Horizontal Flip", letter('H')),
            leaf("mnuVflip", "Vertical Flip", letter('V')),
            menu("mnuRotate", "Rotate", {
                leaf("mnuRot90", "90", letter('T')),
                leaf("mnuRot180", "180", letter('T'), ShiftKey),
                leaf("mnuRot270", "270", letter('T'), CtrlKey),
            }),
            leaf("mnuStretch", "Stretch", letter('S')),
            leaf("mnuFitW", "Fit Width", letter('L')),
            leaf("mnuFitH", "Fit Height", letter('K')),
            menu("mnuZoom", "Zoom", {
                leaf("mnuZoomI2", "+2", vk::Plus),
                leaf("mnuZoomI3", "+3", vk::Plus, ShiftKey),
                leaf("mnuZoomI4", "+4", vk::Plus, CtrlKey),
                leaf("mnuZoomI6", "+6", vk::Plus, AltKey),
                leaf("mnuZoomO2", "-2", vk::Minus),
                leaf("mnuZoomO3", "-3", vk::Minus, ShiftKey),
                leaf("mnuZoomO4", "-4", vk::Minus, CtrlKey),
                leaf("mnuZoomO6", "-6", vk::Minus, AltKey),
            }),
        }),
        menu("mnuDeform", "&Deformations", {
            menu("mnuWave", "Wave", {
                leaf("mnuWave1", "1", digit(1)),
                leaf("mnuWave2", "2", digit(2)),
                leaf("mnuWave3", "3", digit(3)),
                leaf("mnuWave4", "4", digit(4)),
                leaf("mnuWave5", "5", digit(5)),
                leaf("mnuWave6", "6", digit(6)),
            }),
            leaf("mnuNoise", "Add Noise", digit(7)),
            menu("mnuPixel", "Pixelise", {
                leaf("mnuPix4", "x4", digit(8)),
                leaf("mnuPix8", "x8", digit(9)),
                leaf("mnuPix16", "x16", digit(0)),
            }),
            leaf("mnuEdge", "Edge Detect", letter('Z')),
            leaf("mnuEmboss", "Emboss", letter('Z'), ShiftKey),
        }),
    });
}

void fill(QMenu *menu, const Item &item, const std::function<void(int16_t, int16_t)> &onCommand)
{
    for (const Item &child : item.children) {
        if (child.isLeaf()) {
            QAction *action = menu->addAction(child.caption);
            action->setObjectName(child.name);
            const int16_t key = child.keyCode, shift = child.shift;
            QObject::connect(action, &QAction::triggered, menu, [onCommand, key, shift] { onCommand(key, shift); });
        } else {
            QMenu *sub = menu->addMenu(child.caption);
            sub->setObjectName(child.name);
            sub->menuAction()->setObjectName(child.name + QLatin1String("Action"));
            fill(sub, child, onCommand);
        }
    }
}
} // namespace

const EffectsMenuItem &effectsMenuTree()
{
    static const EffectsMenuItem tree = buildTree();
    return tree;
}

QMenu *buildEffectsMenu(QWidget *parent, const std::function<void(int16_t, int16_t)> &onCommand)
{
    const Item &root = effectsMenuTree();
    auto *menu = new QMenu(root.caption, parent);
    menu->setObjectName(root.name);
    fill(menu, root, onCommand);
    return menu;
}
