#include "effects/ui/EffectsMenu.h"

#include "effects/ViewerCommands.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

namespace {
using Item = EffectsMenuItem;

// The tree from the command table: each row with a menu path goes under the
// submenus its path names, in table order.
Item buildTree()
{
    const std::vector<ViewerSubmenu> &submenus = viewerSubmenus();
    Item root{QStringLiteral("mnuEffects"), submenus.front().caption, 0, 0, {}};
    auto captionOf = [&submenus](const QString &path) {
        for (const ViewerSubmenu &m : submenus)
            if (m.path == path)
                return m.caption;
        return QString();
    };
    for (const ViewerCommand &row : viewerCommands()) {
        if (row.menuPath.isEmpty())
            continue;
        const QStringList names = row.menuPath.split('/');
        Item *parent = &root;
        for (int i = 0; i + 1 < names.size(); ++i) {
            auto it = std::find_if(parent->children.begin(), parent->children.end(),
                                   [&](const Item &c) { return c.name == names[i]; });
            if (it == parent->children.end()) {
                const QString path = names.mid(0, i + 1).join('/');
                parent->children.push_back(Item{names[i], captionOf(path), 0, 0, {}});
                it = std::prev(parent->children.end());
            }
            parent = &*it;
        }
        parent->children.push_back(Item{names.last(), row.menuCaption, row.keyCode, row.shift, {}});
    }
    return root;
}

void fill(QMenu *menu, const Item &item, const std::function<void(int16_t, int16_t)> &onCommand)
{
    for (const Item &child : item.children) {
        if (child.isLeaf()) {
            // The key beside the item, as text only: the viewer takes its keys
            // itself, and a shortcut here would take them first.
            const ViewerCommand *row = findViewerCommand(child.keyCode, child.shift);
            QAction *action = menu->addAction(row ? child.caption + '\t' + keyLabel(*row) : child.caption);
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
