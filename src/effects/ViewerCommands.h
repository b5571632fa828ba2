#pragma once
#include "effects/KeyCommand.h"

#include <QString>
#include <cstdint>
#include <vector>

// One row of the viewer's command table: a key with a shift state, what it
// does, and where the user meets it (the Effects menu, the key reference, the
// batch mode). Everything that lists the viewer's keys is derived from here.
struct ViewerCommand {
    int16_t keyCode = 0;
    int16_t shift = 0;
    // Also taken for every shift state that no row of the same key names.
    bool anyShift = false;
    // The command for the shift state actually held.
    KeyCommand (*command)(int16_t shift) = nullptr;
    // The key's name as the batch mode and messages spell it ("Plus").
    QString keyName;
    // Control names from the Effects menu's root down to the item
    // ("mnuMfile/mnuPrint/mnuPrtPort") and its caption; empty: not in the menu.
    QString menuPath;
    QString menuCaption;
    // The key reference's line; empty: not listed there.
    QString reference;
};

// A submenu of the Effects menu: its path of control names and its caption.
struct ViewerSubmenu {
    QString path;
    QString caption;
};

// The rows in the order of the Effects menu; rows without a menu item last.
const std::vector<ViewerCommand> &viewerCommands();
// The Effects menu's submenus, the root first.
const std::vector<ViewerSubmenu> &viewerSubmenus();

// The row a key with a shift state selects: the row naming that shift state,
// else the key's any-shift row; nullptr when there is none.
const ViewerCommand *findViewerCommand(int16_t keyCode, int16_t shift);
// The key as a menu shows it beside the item: "Shift+Z", "F9", "]", "+".
QString keyLabel(const ViewerCommand &row);
// The key a name stands for (any letter case); 0 when no row names it.
int16_t viewerKeyNamed(const QString &name);
