#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QMenu;
class QWidget;

// One item of the viewer's pop-up menu: a submenu when it has children,
// otherwise a command that sends its key code and shift state.
struct EffectsMenuItem {
    QString name;      // control name, e.g. "mnuRot90"
    QString caption;   // "&" marks the access key
    int16_t keyCode = 0;
    int16_t shift = 0;
    std::vector<EffectsMenuItem> children;
    bool isLeaf() const { return children.empty(); }
};

// The whole hidden "&Effects" menu, root item mnuEffects, as the viewer's
// command table (ViewerCommands) lays it out.
const EffectsMenuItem &effectsMenuTree();

// Builds the menu from the tree; each leaf calls onCommand(keyCode, shift)
// and nothing else. Object names are the control names.
QMenu *buildEffectsMenu(QWidget *parent, const std::function<void(int16_t, int16_t)> &onCommand);
