// The viewer window: pictures scaled and centred, text, the slide timer,
// and where its keys and mouse presses go.
#include "AppState.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "PicturePreloader.h"
#include "ScaleRule.h"
#include "TestMedia.h"
#include "frmMedia.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace testmedia;

namespace {
// Opens a picture and waits until it is in: true when it could be loaded.
bool openPicture(frmMedia *v, const QString &path)
{
    QSignalSpy shown(v, &frmMedia::pictureShown);
    v->showPicture(path);
    if (shown.isEmpty() && !shown.wait(20000))
        return false;
    return shown.last().at(0).toString() == path && shown.last().at(1).toBool();
}
} // namespace

class TestFrmMedia : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    OptionSet m_options;
    AppState m_state;
    QPointer<frmMedia> m_viewer;
    // A new viewer, or the open one: the window deletes itself when it closes.
    frmMedia *viewer()
    {
        if (!m_viewer)
            m_viewer = new frmMedia(m_options, m_state);
        return m_viewer;
    }

private slots:
    void init()
    {
        m_options = OptionSet();
        m_state = AppState();
    }
    void cleanup() { delete m_viewer; }

    void picturesAreScaledAndCentred()
    {
        m_options.ScaleBig = true;
        QVERIFY(halves(3000, 1000).save(path("wide.jpg"), "JPG", 90));
        QVERIFY(halves(64, 32).save(path("small.bmp"), "BMP"));
        QVERIFY(writeFile(path("broken.jpg"), "\xFF\xD8garbage"));
        frmMedia *v = viewer();
        QVERIFY(openPicture(v, path("wide.jpg")));
        const QSize expected = ScaleRule::scaledSize(QSize(3000, 1000), v->screenSize(), 1, 0);
        QCOMPARE(v->picMedia->picture().size(), expected);
        QVERIFY(v->picMedia->isVisible() && !v->lstMedia->isVisible() && !v->lblWave->isVisible());
        // Without ScaleBig it keeps its own size; scaleIt applies the rule again.
        m_options.ScaleBig = false;
        QVERIFY(openPicture(v, path("wide.jpg")));
        QCOMPARE(v->picMedia->size(), QSize(3000, 1000));
        m_options.ScaleBig = true;
        v->scaleIt();
        QCOMPARE(v->picMedia->size(), expected);
        // A picture that cannot be loaded keeps what was shown.
        QVERIFY(openPicture(v, path("small.bmp")));
        QVERIFY(!openPicture(v, path("broken.jpg")));
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
        // A line names the file and says why, in the system's words where it has them.
        QVERIFY(v->lblProblem->isVisible());
        QVERIFY2(v->lblProblem->text().startsWith("Cannot show \"broken.jpg\": "), qPrintable(v->lblProblem->text()));
        QVERIFY(!openPicture(v, path("missing.jpg")));
        QVERIFY2(v->lblProblem->text().endsWith("No such file or directory"), qPrintable(v->lblProblem->text()));
        QVERIFY(openPicture(v, path("small.bmp")));
        QVERIFY(!v->lblProblem->isVisible());
    }

    void textAndTheSlideTimer()
    {
        QVERIFY(writeFile(path("a.txt"), "first\r\nsecond\n\nfourth"));
        QVERIFY(writeFile(path("b.log"), "caf\xe9 in Latin-1\r"));
        QVERIFY(halves(16, 16).save(path("s.bmp"), "BMP"));
        frmMedia *v = viewer();
        QVERIFY(v->showText(path("a.txt")));
        QCOMPARE(v->lstMediaModel->stringList(), (QStringList{path("a.txt"), "", "first", "second", "", "fourth"}));
        QVERIFY(v->lstMedia->isVisible() && !v->picMedia->isVisible());
        QVERIFY(v->showText(path("b.log")));   // replaces the lines; not UTF-8 is read as Latin-1
        QCOMPARE(v->lstMediaModel->stringList(), (QStringList{path("b.log"), "", QString::fromUtf8("caf\xc3\xa9 in Latin-1")}));
        QVERIFY(!v->showText(path("gone.txt")));   // still shows its path
        QCOMPARE(v->lstMediaModel->stringList(), (QStringList{path("gone.txt"), ""}));

        QVERIFY(openPicture(v, path("s.bmp")));
        QVERIFY(!v->tmrSlideshow->isActive());   // only during a slide show
        m_state.SlideShowRunning = true;
        m_options.SlideDelay = 3;
        QSignalSpy ticks(v, &frmMedia::slideTick);
        QVERIFY(openPicture(v, path("s.bmp")));
        QCOMPARE(v->tmrSlideshow->interval(), 3000);
        v->showText(path("a.txt"));   // a text file stops it: the show waits there
        QVERIFY(!v->tmrSlideshow->isActive());
        m_options.SlideDelay = 0.05;
        QVERIFY(openPicture(v, path("s.bmp")));
        QTRY_VERIFY(ticks.count() > 0);
    }

    void keysGoToTheKeyHandlerAndEscapeCloses()
    {
        QVERIFY(halves(16, 16).save(path("s.bmp"), "BMP"));
        QList<QPair<int, int>> keys;
        frmMedia *v = viewer();
        connect(v, &frmMedia::keyDown, this, [&](int16_t code, int16_t shift) { keys << qMakePair(int(code), int(shift)); });
        QVERIFY(openPicture(v, path("s.bmp")));
        QTest::keyClick(v->picMedia, Qt::Key_H, Qt::ShiftModifier);
        QTest::keyClick(v->lstMedia, Qt::Key_Space);
        // The Shift key itself arrives first, as a key of its own.
        QCOMPARE(keys, (QList<QPair<int, int>>{{16, 1}, {72, 1}, {32, 0}}));
        // Keys meant for other windows are left alone; an application-wide
        // shortcut does not swallow the viewer's key.
        QWidget other;
        other.show();
        QTest::keyClick(&other, Qt::Key_H);
        QCOMPARE(keys.size(), 3);
        QAction save;
        save.setShortcut(QKeySequence(Qt::Key_X));
        save.setShortcutContext(Qt::ApplicationShortcut);
        other.addAction(&save);
        QSignalSpy triggered(&save, &QAction::triggered);
        QApplication::setActiveWindow(v);
        QVERIFY(QTest::qWaitForWindowActive(v));
        QTest::keyClick(v->lstMedia, Qt::Key_X);
        QCOMPARE(triggered.count(), 0);
        QCOMPARE(keys.last(), qMakePair(88, 0));

        // Escape from any control closes the viewer and ends the slide show.
        QVERIFY(writeFile(path("a.txt"), "x"));
        QVERIFY(v->showText(path("a.txt")));
        m_state.SlideShowRunning = m_state.PlaybackPaused = true;
        QPointer<frmMedia> watch(v);
        QTest::keyClick(v->lstMedia, Qt::Key_Escape);
        QTRY_VERIFY(watch.isNull());
        QVERIFY(!m_state.SlideShowRunning && !m_state.PlaybackPaused);
    }

    void mouseClosesDragsAndPopsUp()
    {
        QVERIFY(halves(100, 80).save(path("p.bmp"), "BMP"));
        frmMedia *v = viewer();
        QSignalSpy popups(v, &frmMedia::popupRequested);
        QVERIFY(openPicture(v, path("p.bmp")));
        const QPoint start = v->picMedia->pos();
        // Drag: grab at (10, 20) inside the picture, move the pointer by (30, 15).
        QTest::mousePress(v->picMedia, Qt::LeftButton, {}, QPoint(10, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 35), v->picMedia->mapToGlobal(QPointF(40, 35)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(v->picMedia, &move);
        QCOMPARE(v->picMedia->pos(), start + QPoint(30, 15));
        QTest::mouseRelease(v->picMedia, Qt::LeftButton, {}, QPoint(40, 35));
        // Right presses pop up the menu, on the picture and on the background.
        QTest::mousePress(v->picMedia, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mousePress(v, Qt::RightButton, {}, QPoint(2, 2));
        QCOMPARE(popups.count(), 2);
        // A double click on the picture closes the viewer; so does a left
        // press on the background, or a double click on text.
        QPointer<frmMedia> watch(v);
        QTest::mouseDClick(v->picMedia, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(watch.isNull());
        watch = v = viewer();
        QVERIFY(openPicture(v, path("p.bmp")));
        QTest::mousePress(v, Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_VERIFY(watch.isNull());
        QVERIFY(writeFile(path("a.txt"), "x"));
        watch = v = viewer();
        QVERIFY(v->showText(path("a.txt")));
        QTest::mouseDClick(v->lstMedia->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(watch.isNull());
    }
    void aPreloadedPictureShowsAtOnceUntilItsFileChanges()
    {
        QVERIFY(halves(300, 200).save(path("a.jpg"), "JPG", 90));
        QVERIFY(halves(200, 300).save(path("b.jpg"), "JPG", 90));
        frmMedia *v = viewer();
        QVERIFY(openPicture(v, path("a.jpg")));
        QSignalSpy decodes(v->pictures(), &PicturePreloader::decoding);
        v->preloadPictures({path("b.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("b.jpg")), 10000);
        QCOMPARE(decodes.count(), 1);
        QCOMPARE(decodes.first().at(1).toBool(), false);   // ahead, not urgent

        // In place before showPicture returns, and not decoded a second time.
        QVERIFY(v->showPicture(path("b.jpg")));
        QCOMPARE(v->picMedia->picture().size(), QSize(200, 300));
        QCOMPARE(decodes.count(), 1);

        // A neighbour whose file changes after it was decoded is decoded again.
        v->preloadPictures({path("a.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("a.jpg")), 10000);
        QVERIFY(halves(100, 50).save(path("a.jpg"), "JPG", 90));
        QFile f(path("a.jpg"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(!v->pictures()->isReady(path("a.jpg")));
        QVERIFY(!v->showPicture(path("a.jpg")));
        QVERIFY(v->waitForPicture());
        QCOMPARE(v->picMedia->picture().size(), QSize(100, 50));
    }

    void aSlowDecodeHoldsTheKeysAndEscapeClosesAtOnce()
    {
        // A picture whose full-size decode takes a good part of a second.
        m_options.ScaleBig = false;
        QImage image(9000, 6000, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb(x * 7 + y, y * 3 ^ x, (x ^ y) * 5);   // detail JPEG cannot skip
        }
        const QString big = path("big.jpg");
        QVERIFY(image.save(big, "JPG", 95));
        image = QImage();
        frmMedia *v = viewer();
        QSignalSpy keys(v, &frmMedia::keyDown);
        QSignalSpy shown(v, &frmMedia::pictureShown);
        // The window's thread goes on while the worker decodes.
        int ticks = 0;
        QTimer pulse;
        connect(&pulse, &QTimer::timeout, this, [&] { ++ticks; });
        pulse.start(5);

        QVERIFY(!v->showPicture(big));
        QVERIFY(v->isVisible());
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        v->Form_KeyDown(72, 0);   // H
        v->Form_KeyDown(86, 0);   // V
        QCOMPARE(keys.count(), 0);
        QVERIFY(shown.wait(20000));
        QVERIFY(ticks > 2);
        QCOMPARE(v->picMedia->picture().size(), QSize(9000, 6000));
        QVERIFY(!QApplication::overrideCursor());
        // Then the keys, in the order pressed.
        QCOMPARE(keys.count(), 2);
        QCOMPARE(keys.at(0).at(0).value<int16_t>(), int16_t(72));
        QCOMPARE(keys.at(1).at(0).value<int16_t>(), int16_t(86));

        // Escape during the next slow decode closes at once, while the decode
        // is still running on its worker.
        QVERIFY(QFile::copy(big, path("big2.jpg")));
        QVERIFY(!v->showPicture(path("big2.jpg")));
        QVERIFY(v->pictures()->isOpening());
        QTest::keyClick(v, Qt::Key_Escape);
        QVERIFY(!v->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!v->pictures()->isOpening());
        QTRY_VERIFY(!m_viewer);   // and gone
        QCOMPARE(shown.count(), 1);
        QCOMPARE(keys.count(), 2);
    }
};

QTEST_MAIN(TestFrmMedia)
#include "tst_frmmedia.moc"
