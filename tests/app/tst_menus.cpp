// Exit from the menu bar closes every open window after writing the
// options, which the next start restores.
#include "OptionSet.h"
#include "SettingsStore.h"
#include "frmAbout.h"
#include "frmHTML.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QAction *item(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

template <typename T> bool isOpen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<T *>(w) && w->isVisible())
            return true;
    return false;
}
} // namespace

class TestMenus : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    std::unique_ptr<frmMain> start()
    {
        auto m = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")));
        m->Form_Load();
        m->show();
        return m;
    }

private slots:
    void exitClosesEveryWindowAfterWritingTheOptions()
    {
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(dir.filePath("a.bmp")));
        auto w = start();
        w->goToFolder(dir.path());
        // A window of each kind open at once: the viewer, a modeless box
        // and a tool window.
        w->selectEntry(1);
        w->ShowMedia();
        QVERIFY(w->viewer(false));
        item(w->mnuFile, "&Build HTML Page")->trigger();
        item(w->mnuHelp, "&About")->trigger();
        QVERIFY(isOpen<frmHTML>() && isOpen<frmAbout>());
        // An option changed in this run must reach the store.
        w->options().EdgeTuning = 77;

        item(w->mnuFile, "E&xit")->trigger();
        QTRY_VERIFY(!w->viewer(false) && !isOpen<frmHTML>() && !isOpen<frmAbout>());
        w.reset();
        w = start();
        QCOMPARE(w->options().EdgeTuning, 77);
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
