// The viewer's one command table and what is derived from it: every Effects
// menu item and every key reference line leads to a command and back, and
// the batch mode knows every key by the table's name.
#include "effects/BatchMode.h"
#include "effects/KeyCommand.h"
#include "effects/ViewerCommands.h"
#include "effects/ui/EffectsMenu.h"
#include "info/KeyReference.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {
QList<QAction *> leaves(QMenu *menu)
{
    QList<QAction *> all;
    for (QAction *action : menu->actions()) {
        if (action->menu())
            all << leaves(action->menu());
        else
            all << action;
    }
    return all;
}

// "Shift + Z - Emboss": the shift state its words name, and the key's word.
int16_t shiftNamed(QString keys, QString *key)
{
    int16_t shift = 0;
    const QList<QPair<QString, int16_t>> words = {{"Shift + ", ShiftKey}, {"Ctrl + ", CtrlKey}, {"Alt + ", AltKey}};
    for (const auto &[word, bit] : words) {
        if (keys.startsWith(word)) {
            shift |= bit;
            keys.remove(0, word.size());
        }
    }
    *key = keys;
    return shift;
}
} // namespace

class TestEffectsTable : public QObject {
    Q_OBJECT
private slots:
    void menuItemsLeadToTheirRowAndBack()
    {
        QPair<int16_t, int16_t> sent;
        std::unique_ptr<QMenu> menu(buildEffectsMenu(nullptr, [&](int16_t k, int16_t s) { sent = {k, s}; }));
        QSet<const ViewerCommand *> reached;
        for (QAction *action : leaves(menu.get())) {
            sent = {0, 0};
            action->trigger();
            const ViewerCommand *row = findViewerCommand(sent.first, sent.second);
            QVERIFY2(row && row->keyCode == sent.first && row->shift == sent.second, qPrintable(action->objectName()));
            // The caption, then the key as the item shows it, which leads back to the row.
            const QStringList parts = action->text().split('\t');
            QCOMPARE(parts.size(), 2);
            QCOMPARE(parts[0], row->menuCaption);
            QString key = parts[1];
            int16_t shift = 0;
            for (const auto &[bit, name] : {std::pair{CtrlKey, "Ctrl+"}, {AltKey, "Alt+"}, {ShiftKey, "Shift+"}})
                if (key.startsWith(QLatin1String(name))) {
                    shift |= bit;
                    key.remove(0, int(qstrlen(name)));
                }
            const QMap<QString, QString> signs = {{"+", "Plus"}, {"-", "Minus"}, {"[", "LeftBracket"}, {"]", "RightBracket"}};
            QCOMPARE(findViewerCommand(viewerKeyNamed(signs.value(key, key)), shift), row);
            QVERIFY(("/" + row->menuPath).endsWith("/" + action->objectName()));
            QVERIFY2(decodeKey(sent.first, sent.second).action != KeyAction::None, qPrintable(action->objectName()));
            QVERIFY2(!reached.contains(row), qPrintable(action->objectName()));   // one item per row
            reached.insert(row);
        }
        for (const ViewerCommand &row : viewerCommands())
            QCOMPARE(reached.contains(&row), !row.menuPath.isEmpty());
    }

    void referenceLinesLeadToTheirRowAndBack()
    {
        // The reference spells a few keys by their sign.
        const QMap<QString, QString> signs = {{"<", "Comma"}, {">", "Period"}, {"+", "Plus"}, {"-", "Minus"},
                                              {"[", "LeftBracket"}, {"]", "RightBracket"}};
        const QStringList lines = keyReferenceLines();
        QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), lines.size());
        for (const QString &line : lines) {
            const ViewerCommand *found = nullptr;
            for (const ViewerCommand &row : viewerCommands())
                if (row.reference == line)
                    found = &row;
            QVERIFY2(found, qPrintable(line));
            QString key;
            const int16_t shift = shiftNamed(line.left(line.indexOf(" - ")), &key);
            QCOMPARE(shift, found->shift);
            QVERIFY2(signs.value(key, key).compare(found->keyName, Qt::CaseInsensitive) == 0, qPrintable(line));
            QVERIFY2(decodeKey(found->keyCode, found->shift).action != KeyAction::None, qPrintable(line));
        }
        // Every key the user can meet is somewhere to be found.
        for (const ViewerCommand &row : viewerCommands())
            QVERIFY2(!row.menuPath.isEmpty() || !row.reference.isEmpty(), qPrintable(row.keyName));
    }

    void batchModeKnowsEveryKeyByItsName()
    {
        for (const ViewerCommand &row : viewerCommands()) {
            QString text = row.keyName.toLower();
            if (row.shift & AltKey) text.prepend("Alt+");
            if (row.shift & ShiftKey) text.prepend("Shift+");
            if (row.shift & CtrlKey) text.prepend("Ctrl+");
            const KeyListParse parsed = parseKeyList(text);
            const KeyAction action = decodeKey(row.keyCode, row.shift).action;
            const bool batch = isPictureCommand(action) || action == KeyAction::Save;
            if (batch) {
                QVERIFY2(parsed.error.isEmpty(), qPrintable(text + ": " + parsed.error));
                QCOMPARE(parsed.keys.front().keyCode, row.keyCode);
                QCOMPARE(parsed.keys.front().shift, row.shift);
            } else {
                QVERIFY2(parsed.error.contains("needs the viewer window"), qPrintable(text));
            }
        }
    }
};

QTEST_MAIN(TestEffectsTable)
#include "tst_effects_table.moc"
