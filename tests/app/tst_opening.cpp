// Opening entries from the main window: by kind; then the viewer's keys.
#include "core/AppState.h"
#include "browser/FileListModel.h"
#include "core/OptionSet.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/PicturePreloader.h"
#include "core/SettingsStore.h"
#include "app/frmMain.h"
#include "TestParts.h"
#include "viewer/ui/frmMedia.h"

#include "StartedWindow.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include "../info/WhenModal.h"

namespace {
using namespace testfiles;
using testpictures::solid;
void closeViewer(frmMain *w)
{
    if (frmMedia *v = w->viewer(false))
        v->close();
    QCoreApplication::processEvents();
}
} // namespace

class TestOpening : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;

    frmMedia *open(const QString &name) { return open(w->listModel()->names().indexOf(name) + 1); }
    frmMedia *open(int entry)
    {
        w->selectEntry(entry);
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        if (v)
            v->waitForPicture();   // decoded on a worker
        return v;
    }
    QImage shown() { return w->viewer(false)->picMedia->picture(); }
    // A folder of three pictures (a 40 x 30, b 50 x 20, c 60 x 10), browsed.
    bool browseThreePictures(const QString &folder)
    {
        if (!QDir().mkpath(folder) || !solid(40, 30, Qt::green).save(folder + "/a.bmp")
            || !solid(50, 20, Qt::green).save(folder + "/b.bmp") || !solid(60, 10, Qt::green).save(folder + "/c.bmp"))
            return false;
        w->goToFolder(folder);
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(solid(64, 32, Qt::green).save(dir.filePath("green.bmp"), "BMP"));
        QVERIFY(writeFile(dir.filePath("notes.txt"), "first line\nsecond line\n"));
        QVERIFY(writeFile(dir.filePath("broken.jpg"), QByteArray("\xff\xd8\xff\xe0garbage", 12)));
        w = startedWindow(dir.filePath("s.ini"));
        w->chkFilter[0]->setChecked(true); // "All Files"
        w->chkFilter_Click(0);
        w->goToFolder(dir.path());
    }

    void eachKindOpensItsWay()
    {
        frmMedia *v = open("green.bmp");
        QVERIFY(v && v->isVisible() && v->picMedia->isVisible() && !v->lstMedia->isVisible());
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        // A damaged picture keeps what was shown.
        QCOMPARE(open("broken.jpg"), v);
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        closeViewer(w.get());

        v = open("notes.txt");
        QVERIFY(v && v->lstMedia->isVisible());
        QTRY_COMPARE(v->lstMediaModel->stringList(),
                     QStringList({dir.filePath("notes.txt"), "", "first line", "second line"}));
        closeViewer(w.get());

        // An entry whose file went away after the list was made: the
        // message names it and says why.
        QVERIFY(writeFile(dir.filePath("gone.txt"), "soon gone\n"));
        w->goToFolder(dir.path());
        QVERIFY(QFile::remove(dir.filePath("gone.txt")));
        BoxWatch boxes;
        QVERIFY(!open("gone.txt"));
        QCOMPARE(boxes.texts, QStringList{"Disk error: Unable to read file from disk\n\"" + dir.filePath("gone.txt")
                                          + "\": No such file or directory"});
    }

    void spaceAndBackspaceStepToThePreloadedNeighbour()
    {
        QVERIFY(browseThreePictures(dir.filePath("keys")));
        frmMedia *v = open(1);
        QVERIFY(v && v->waitForPicture());
        // The next entry is decoded ahead while the first is looked at, and
        // is in place when the key returns (the viewer's side is tst_frmmedia).
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("keys/b.bmp")));
        QTest::keyClick(v, Qt::Key_Space);
        QCOMPARE(w->currentEntry(), 2);
        QCOMPARE(shown().size(), QSize(50, 20));
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("keys/c.bmp")));
        QTest::keyClick(v, Qt::Key_Space);
        // At the end of the list Space does nothing: had it wrapped, Backspace
        // would not reach 2.
        QTest::keyClick(v, Qt::Key_Space);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTRY_COMPARE(w->currentEntry(), 2);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTest::keyClick(v, Qt::Key_Backspace);   // nor does Backspace at the start
        QTest::keyClick(v, Qt::Key_Space);
        QTRY_COMPARE(w->currentEntry(), 2);
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!w->viewer(false));
    }

    // Escape means stop: keys typed while a slow effect runs never run once
    // the viewer is gone.
    void escapeDropsTheKeysWaitingBehindAnEffect()
    {
        const QString folder = dir.filePath("escape");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(solid(2400, 1800, Qt::green).save(folder + "/a.bmp"));
        QVERIFY(solid(40, 30, Qt::green).save(folder + "/b.bmp"));
        w->goToFolder(folder);
        QPointer<frmMedia> v = open(1);
        QVERIFY(v);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(v, Qt::Key_Z, Qt::ShiftModifier);   // emboss, on a worker
        QVERIFY(QApplication::overrideCursor());                // still running
        QTest::keyClick(v, Qt::Key_X);       // save: waits its turn
        QTest::keyClick(v, Qt::Key_Space);   // next file: waits too
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(v.isNull());
        // Every worker the effect and anything after it could start has
        // finished, and what they reported has been handled.
        for (int round = 0; round < 4; ++round) {
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::processEvents();
        }
        QCOMPARE(QDir(folder).entryList({"gw*.bmp"}), QStringList());
        QVERIFY(!w->viewer(false));
        QCOMPARE(w->currentEntry(), 1);
        QVERIFY(!QApplication::overrideCursor());
    }

    // F8 in the viewer: the file goes to the Trash (this test's own), the
    // list loses its entry and the next one is shown.
    void theViewersTrashTakesTheEntryFromTheList()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        QVERIFY(QDir().mkpath(dir.filePath("data")));
        QVERIFY(browseThreePictures(dir.filePath("trash")));
        frmMedia *v = open(2);
        QVERIFY(v);
        QTest::keyClick(v, Qt::Key_F8);
        QTRY_COMPARE(w->listModel()->names(), (QStringList{"a.bmp", "c.bmp"}));
        QCOMPARE(w->lblFileCount->text(), QString(" 2 files in list"));
        QCOMPARE(w->currentEntry(), 2);
        QTRY_COMPARE(shown().size(), QSize(60, 10));
        QVERIFY(QFileInfo::exists(dir.filePath("data/Trash/files/b.bmp")));
        closeViewer(w.get());
    }

    // A picture opened from a file manager is one of its folder: Space and
    // Backspace go on through the folder (as the type boxes list it), and
    // several files named at once are the list.
    void aFileFromTheCommandLineStepsThroughItsFolder()
    {
        const QString folder = dir.filePath("named");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(solid(40, 30, Qt::green).save(folder + "/a.bmp") && solid(50, 20, Qt::green).save(folder + "/b.bmp")
                && solid(60, 10, Qt::green).save(folder + "/d.bmp"));
        QVERIFY(writeFile(folder + "/c.xyz", "of no kind\n"));   // no box lists it
        const auto openNamed = [&](const QStringList &names) {
            auto m = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("named.ini")), testParts());
            m->state().CommandLine = folder + "/" + names.first();
            m->loadOptionsOnly();
            m->ShowMedia();
            QList<QByteArray> files;
            for (const QString &n : names)
                files << QFile::encodeName(folder + "/" + n);
            m->listBehindCommandLine(files);
            return m;
        };
        auto m = openNamed({"b.bmp"});
        frmMedia *v = m->viewer(false);
        QVERIFY(v && v->waitForPicture());
        QTRY_COMPARE(m->currentEntry(), 2);
        QCOMPARE(m->entryCount(), 3);
        QTest::keyClick(v, Qt::Key_Space);
        QTRY_COMPARE(v->picMedia->picture().size(), QSize(60, 10));
        QTest::keyClick(v, Qt::Key_Backspace);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTRY_COMPARE(v->picMedia->picture().size(), QSize(40, 30));
        v->close();

        m = openNamed({"d.bmp", "a.bmp"});
        v = m->viewer(false);
        QVERIFY(v && v->waitForPicture());
        QTRY_COMPARE(m->entryCount(), 2);
        QCOMPARE(m->currentEntry(), 2);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTRY_COMPARE(v->picMedia->picture().size(), QSize(40, 30));
        v->close();
    }

    void cleanupTestCase()
    {
        closeViewer(w.get());
        w.reset();
    }
};

QTEST_MAIN(TestOpening)
#include "tst_opening.moc"
