// Exit from the menu bar closes every open window after writing the
// options, which the next start restores.
#include "core/OptionSet.h"
#include "core/SettingsStore.h"
#include "app/frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

static int visibleWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += w->isVisible();
    return n;
}

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
        QVERIFY(testpictures::solid(30, 20, Qt::blue).save(dir.filePath("a.bmp")));
        auto w = start();
        w->goToFolder(dir.path());
        // A window of each kind open at once: the viewer, a modeless box
        // and a tool window.
        w->selectEntry(1);
        w->ShowMedia();
        w->findChild<QAction *>("mnuHTML")->trigger();
        w->findChild<QAction *>("mnuAbout")->trigger();
        QCOMPARE(visibleWindows(), 4);
        // An option changed in this run must reach the store.
        w->options().EdgeTuning = 77;

        w->findChild<QAction *>("mnuExit")->trigger();
        QTRY_COMPARE(visibleWindows(), 0);
        w.reset();
        w = start();
        QCOMPARE(w->options().EdgeTuning, 77);
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
