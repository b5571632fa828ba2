// The viewer's keys and its Effects menu, end to end through the main window.
#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "SettingsStore.h"
#include "PicturePreloader.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {
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

class TestViewerKeys : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;

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
        QVERIFY(gradient(40, 30).save(dir.filePath("a.bmp")));
        QVERIFY(gradient(50, 20).save(dir.filePath("b.bmp")));
        QVERIFY(gradient(60, 10).save(dir.filePath("c.bmp")));
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")));
        w->Form_Load();
        w->show();
        w->goToFolder(dir.path());
        QCOMPARE(w->listModel()->rowCount(), 3);
    }

    void keysChangeTheShownPicture()
    {
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
        QFile broken(dir.filePath("d.bmp"));
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

    void spaceOnAPreloadedPictureDoesNotDecodeAgain()
    {
        frmMedia *v = open(1);
        QVERIFY(v && v->waitForPicture());
        QCOMPARE(shown().size(), QSize(40, 30));
        // The next entry is decoded ahead while the first is looked at.
        const QString next = dir.filePath("b.bmp");
        QTRY_VERIFY(v->pictures()->isReady(next));
        QSignalSpy decodes(v->pictures(), &PicturePreloader::decoding);
        QTest::keyClick(v, Qt::Key_Space);
        // In place when the key returns, without a decode of its own.
        QCOMPARE(w->currentEntry(), 2);
        QCOMPARE(shown().size(), QSize(50, 20));
        for (const QList<QVariant> &d : decodes)
            QVERIFY(d.at(0).toString() != next);
        // Its neighbours are next: the third entry and the first again.
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("c.bmp")));
        QTRY_VERIFY(v->pictures()->isReady(dir.filePath("a.bmp")));
        QTest::keyClick(v, Qt::Key_Backspace);
        QCOMPARE(shown().size(), QSize(40, 30));
        QTest::keyClick(v, Qt::Key_Escape);
        QTRY_VERIFY(!w->viewer(false));
    }

    void cleanupTestCase() { w.reset(); }
};

QTEST_MAIN(TestViewerKeys)
#include "tst_viewerkeys.moc"
