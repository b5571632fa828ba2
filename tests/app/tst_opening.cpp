// Opening entries from the main window: by kind, the disk error, a list of
// one, names that are not UTF-8; then the viewer's keys and Effects menu.
#include "AppState.h"
#include "DetailModel.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "PicturePreloader.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QCheckBox>
#include <QListView>
#include <QMenu>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>
#include "../info/WhenModal.h"

#include <fcntl.h>
#include <unistd.h>

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void closeViewer(frmMain *w)
{
    if (frmMedia *v = w->viewer(false))
        v->close();
    QCoreApplication::processEvents();
}
QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 4 % 256, y * 4 % 256, (x + y) % 256));
    return image;
}

QAction *findLeaf(QMenu *menu, const QStringList &path)
{
    QAction *found = nullptr;
    for (QAction *a : menu->actions()) {
        if (a->text() != path.first())
            continue;
        if (path.size() == 1)
            return a;
        if (a->menu())
            found = findLeaf(a->menu(), path.mid(1));
    }
    return found;
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

private slots:
    void initTestCase()
    {
        QImage picture(64, 32, QImage::Format_RGB32);
        picture.fill(QColor(10, 200, 30));
        QVERIFY(picture.save(dir.filePath("green.jpg"), "JPEG"));
        QVERIFY(picture.save(dir.filePath("green.bmp"), "BMP"));
        writeFile(dir.filePath("notes.txt"), "first line\nsecond line\n");
        writeFile(dir.filePath("server.log"), "log line\n");
        writeFile(dir.filePath("broken.jpg"), QByteArray("\xff\xd8\xff\xe0garbage", 12));
        writeFile(dir.filePath("song.mp3"), "not really");
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")));
        w->Form_Load();
        w->show();
        w->chkFilter[0]->setChecked(true); // "All Files"
        w->chkFilter_Click(0);
        w->goToFolder(dir.path());
    }

    void eachKindOpensItsWay()
    {
        w->lvPics->selectionModel()->clearSelection();   // nothing selected: nothing opens
        w->ShowMedia();
        QVERIFY(!w->viewer(false));

        frmMedia *v = open("green.bmp");
        QVERIFY(v && v->isVisible() && v->picMedia->isVisible() && !v->lstMedia->isVisible());
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        // A damaged picture keeps what was shown.
        QCOMPARE(open("broken.jpg"), v);
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        closeViewer(w.get());

        v = open("notes.txt");
        QVERIFY(v && v->lstMedia->isVisible());
        QCOMPARE(v->lstMediaModel->stringList(),
                 QStringList({dir.filePath("notes.txt"), "", "first line", "second line"}));
        // An unknown kind follows the option: as text, or not at all.
        w->options().UnknownAsText = true;
        open("server.log");
        QCOMPARE(v->lstMediaModel->stringList().first(), dir.filePath("server.log"));
        closeViewer(w.get());
        w->options().UnknownAsText = false;
        QVERIFY(!open("server.log"));
        w->options().UnknownAsText = true;
    }

    void missingFileGivesTheDiskError()
    {
        writeFile(dir.filePath("gone.jpg"), "x");
        w->mnuRefresh_Click();
        w->selectEntry(w->listModel()->names().indexOf("gone.jpg") + 1);
        QFile::remove(dir.filePath("gone.jpg"));
        BoxWatch boxes;
        w->ShowMedia();
        QCOMPARE(boxes.texts, QStringList{"Disk error: Unable to read file from disk"});
        QVERIFY(!w->viewer(false));
        w->mnuRefresh_Click();
    }

    void randomWithOneFileOpensIt()
    {
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0);
        for (int i = 1; i < 16; ++i)
            w->chkFilter[i]->setChecked(i == 6);
        w->chkFilter_Click(6); // only *.BMP
        QCOMPARE(w->listModel()->names(), QStringList({"green.bmp"}));
        for (int i = 0; i < 5; ++i) {
            w->cmdRandom_Click();
            QCOMPARE(w->currentEntry(), 1);
        }
        QVERIFY(w->viewer(false));
        closeViewer(w.get());
    }

    void namesThatAreNotUtf8()
    {
        // Latin-1 names, as old archives and FAT sticks hold them: two that
        // show alike (one replacement character each) and a text file.
        const QString folder = dir.filePath("latin1");
        QVERIFY(QDir().mkpath(folder));
        const QByteArray base = QFile::encodeName(folder) + '/';
        auto put = [&](const QImage &picture, const QByteArray &name) {
            QVERIFY(picture.save(folder + "/tmp.bmp", "BMP"));
            QCOMPARE(::rename((base + "tmp.bmp").constData(), (base + name).constData()), 0);
        };
        QImage wide(80, 20, QImage::Format_RGB32), tall(20, 60, QImage::Format_RGB32);
        wide.fill(Qt::red);
        tall.fill(Qt::blue);
        put(wide, "caf\xe9.bmp");
        put(tall, "caf\xe8.bmp");
        {
            QFile text;
            const int fd = ::open((base + "r\xe9sum\xe9.txt").constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && text.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            text.write("ligne une\n");
        }
        w->chkFilter[0]->setChecked(true);
        w->chkFilter_Click(0);
        w->goToFolder(folder);
        QCOMPARE(w->state().FileCount, 3);
        const QString cafe = QString("caf") + QChar(0xFFFD) + ".bmp";
        QCOMPARE(w->listModel()->names(),
                 QStringList({cafe, cafe, QString("r%1sum%1.txt").arg(QChar(0xFFFD))}));

        // Each opens as itself, in the order of their bytes (\xe8 before \xe9).
        frmMedia *v = open(1);
        QVERIFY(v);
        QCOMPARE(v->picMedia->picture().size(), QSize(20, 60));
        QCOMPARE(open(2)->picMedia->picture().size(), QSize(80, 20));
        open(3);
        QCOMPARE(v->lstMediaModel->stringList().mid(2), QStringList({"ligne une"}));
        QVERIFY(v->lstMediaModel->stringList().first().endsWith(QString("r%1sum%1.txt").arg(QChar(0xFFFD))));
        closeViewer(w.get());

        // The Detailed view reads their details; the thumbnails show them.
        w->mnuDetail_Click();
        QCOMPARE(w->detailModel()->dataRowCount(), 3);
        for (const DetailRow &row : w->detailModel()->rows())
            QVERIFY2(!row.size.isEmpty(), qPrintable(row.name));
        w->mnuThumbs_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 3, 10000);
        QCOMPARE(open(2)->picMedia->picture().size(), QSize(80, 20));
        closeViewer(w.get());
        w->mnuList_Click();
        w->goToFolder(dir.path());
        for (const char *name : {"caf\xe9.bmp", "caf\xe8.bmp", "r\xe9sum\xe9.txt"})
            ::unlink((base + name).constData()); // QTemporaryDir cannot remove them by name
    }

    // The viewer's keys and its Effects menu, on a folder of three pictures.
    void keysChangeTheShownPicture()
    {
        const QString keys = dir.filePath("keys");
        QVERIFY(QDir().mkpath(keys));
        QVERIFY(gradient(40, 30).save(keys + "/a.bmp"));
        QVERIFY(gradient(50, 20).save(keys + "/b.bmp"));
        QVERIFY(gradient(60, 10).save(keys + "/c.bmp"));
        w->goToFolder(keys);
        QCOMPARE(w->listModel()->rowCount(), 3);
        frmMedia *v = open(1);
        QVERIFY(v);
        const QImage before = shown();
        QTest::keyClick(v, Qt::Key_N); // invert
        QTRY_VERIFY(shown() != before);
        QCOMPARE(shown().pixel(3, 4) & 0xFFFFFF, ~before.pixel(3, 4) & 0xFFFFFF);
        QTest::keyClick(v, Qt::Key_T); // a quarter turn: 40 x 30 becomes 30 x 40
        QTRY_COMPARE(shown().size(), QSize(30, 40));
        QTRY_COMPARE(shown().pixel(0, 0) & 0xFFFFFF, ~before.pixel(0, 29) & 0xFFFFFF); // turned after the invert
        QTest::keyClick(v, Qt::Key_Equal); // zoom in by 2, centred on the screen
        QTRY_COMPARE(shown().size(), QSize(60, 80));
        // Keys reach the handler even with the focus on a child.
        v->picMedia->setFocus();
        QTest::keyClick(v->picMedia, Qt::Key_Minus);
        QTRY_COMPARE(shown().size(), QSize(30, 40));
        QTest::keyClick(v, Qt::Key_Home);
        QTRY_COMPARE(v->picMedia->y(), 0);
    }

    void effectsMenuRunsTheSameCommands()
    {
        QAction *flip = findLeaf(w->mnuEffects, {"&Shifting", "Horizontal Flip"});
        QVERIFY(flip);
        const QImage before = shown();
        flip->trigger();
        QTRY_COMPARE(shown(), before.mirrored(true, false));
        QAction *close = findLeaf(w->mnuEffects, {"&File", "Close"});
        QVERIFY(close);
        close->trigger();
        QTRY_VERIFY(!w->viewer(false));
    }

    void spaceAndBackspaceStepWithoutWrapping()
    {
        frmMedia *v = open(3);
        QVERIFY(v);
        // Each pair of keys ends on 2 only if the first key did nothing at
        // the end of the list: had it wrapped, the second could not reach 2.
        QTest::keyClick(v, Qt::Key_Space);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTRY_COMPARE(w->currentEntry(), 2);
        QTRY_COMPARE(shown().size(), QSize(50, 20));
        QTest::keyClick(v, Qt::Key_Backspace);
        QTRY_COMPARE(w->currentEntry(), 1);
        QTest::keyClick(v, Qt::Key_Backspace);
        QTest::keyClick(v, Qt::Key_Space);
        QTRY_COMPARE(w->currentEntry(), 2);
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!w->viewer(false));
    }

    void spaceStopsAtTheLastItemTheViewHolds()
    {
        // A damaged picture gets no thumbnail: the view holds fewer items
        // than FileCount, and Space at the last item must neither step past
        // it nor re-open the shown file (which would drop its effects).
        QFile broken(dir.filePath("keys/d.bmp"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("BM not a bitmap");
        broken.close();
        w->mnuThumbs_Click();
        w->mnuRefresh_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 3, 10000);
        QCOMPARE(w->state().FileCount, 4);
        frmMedia *v = open(3);
        QVERIFY(v);
        const QImage plain = shown();
        QTest::keyClick(v, Qt::Key_N); // invert
        QTRY_VERIFY(shown() != plain);
        const QImage inverted = shown();
        // Opening runs inside the key press, so its effect would show at once.
        QTest::keyClick(v, Qt::Key_Space);
        QCOMPARE(w->currentEntry(), 3);
        QCOMPARE(shown(), inverted);
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!w->viewer(false));
        QVERIFY(broken.remove());
        w->mnuList_Click();
        w->mnuRefresh_Click();
    }

    void spaceShowsThePreloadedNeighbour()
    {
        frmMedia *v = open(1);
        QVERIFY(v && v->waitForPicture());
        QCOMPARE(shown().size(), QSize(40, 30));
        // The next entry is decoded ahead while the first is looked at.
        const QString next = dir.filePath("keys/b.bmp");
        QTRY_VERIFY(v->pictures()->isReady(next));
        QTest::keyClick(v, Qt::Key_Space);
        // In place when the key returns (the viewer's side of this is tst_frmmedia).
        QCOMPARE(w->currentEntry(), 2);
        QCOMPARE(shown().size(), QSize(50, 20));
        // Its neighbours are next: the third entry and the first again.
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("keys/c.bmp")));
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("keys/a.bmp")));
        QTest::keyClick(v, Qt::Key_Backspace);
        QCOMPARE(shown().size(), QSize(40, 30));
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!w->viewer(false));
    }

    void cleanupTestCase()
    {
        closeViewer(w.get());
        w.reset();
    }
};

QTEST_MAIN(TestOpening)
#include "tst_opening.moc"
