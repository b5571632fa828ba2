// Exit closes every open window after writing the options, which the next
// start restores; F5 and Ctrl+Q work in the main window.
#include "core/OptionSet.h"
#include "app/frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include "StartedWindow.h"
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

    QString ini() const { return dir.filePath("s.ini"); }

private slots:
    // The desktop's usual keys in the main window: F5 lists what the folder
    // holds now, Ctrl+Q leaves through the normal unload.
    void f5RefreshesAndCtrlQExits()
    {
        auto w = startedWindow(ini());
        w->goToFolder(dir.path());
        const int before = w->entryCount();
        QVERIFY(testpictures::solid(8, 8, Qt::red).save(dir.filePath("new.bmp")));
        QCOMPARE(w->entryCount(), before);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F5);
        QTRY_COMPARE(w->entryCount(), before + 1);
        QVERIFY(QFile::remove(dir.filePath("new.bmp")));

        w->options().EdgeTuning = 55;
        QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!w->isVisible());
        w.reset();
        QCOMPARE(startedWindow(ini())->options().EdgeTuning, 55);
    }

    void exitClosesEveryWindowAfterWritingTheOptions()
    {
        QVERIFY(testpictures::solid(30, 20, Qt::blue).save(dir.filePath("a.bmp")));
        auto w = startedWindow(ini());
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
        w = startedWindow(ini());
        QCOMPARE(w->options().EdgeTuning, 77);
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
