// The viewer window end to end: a picture shown scaled, a text file, keys
// reaching the key handler, the preloaded neighbour and a slow decode.
#include "effects/ViewerSession.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/PicturePreloader.h"
#include "viewer/ScaleRule.h"
#include "TestMedia.h"
#include "ViewerRig.h"
#include "viewer/ui/frmMedia.h"

#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

class TestFrmMedia : public QObject, ViewerRig {
    Q_OBJECT

private slots:
    void init()
    {
        m_options = OptionSet();
        m_state = AppState();
    }
    void cleanup() { delete m_viewer; }

    // (A damaged picture: tst_opening keeps what was shown, tst_faultydecoder
    // names the file on the problem line.)
    void picturesAreScaled()
    {
        m_options.ScaleBig = true;
        QVERIFY(halves(3000, 1000).save(path("wide.jpg"), "JPG", 90));
        frmMedia *v = viewer();
        QVERIFY(show(path("wide.jpg")));
        QCOMPARE(v->picMedia->picture().size(), ScaleRule::scaledSize(QSize(3000, 1000), v->screenSize(), 1, 0));
    }

    void textKeysAndEscape()
    {
        QVERIFY(writeFile(path("b.log"), "first\r\ncaf\xe9 in Latin-1\r"));
        frmMedia *v = viewer();
        QList<QPair<int, int>> keys;
        connect(v, &frmMedia::keyDown, this, [&](int16_t code, int16_t shift) { keys << qMakePair(int(code), int(shift)); });
        v->showText(path("b.log"));   // not UTF-8 is read as Latin-1
        QTRY_COMPARE(v->lstMediaModel->stringList(),
                 (QStringList{path("b.log"), "", "first", QString::fromUtf8("caf\xc3\xa9 in Latin-1")}));
        // The Shift key itself arrives first, as a key of its own.
        QTest::keyClick(v->lstMedia, Qt::Key_H, Qt::ShiftModifier);
        QCOMPARE(keys, (QList<QPair<int, int>>{{16, 1}, {72, 1}}));

        // Escape closes the viewer and ends the slide show.
        m_state.SlideShowRunning = m_state.PlaybackPaused = true;
        QPointer<frmMedia> watch(v);
        QTest::keyClick(v->lstMedia, Qt::Key_Escape);
        QTRY_VERIFY(watch.isNull());
        QVERIFY(!m_state.SlideShowRunning && !m_state.PlaybackPaused);
    }

    void aPreloadedPictureShowsAtOnceUntilItsFileChanges()
    {
        QVERIFY(halves(300, 200).save(path("a.jpg"), "JPG", 90));
        QVERIFY(halves(200, 300).save(path("b.jpg"), "JPG", 90));
        frmMedia *v = viewer();
        QVERIFY(show(path("a.jpg")));
        QSignalSpy decodes(v->pictures(), &PicturePreloader::decoding);
        v->preloadPictures({path("b.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("b.jpg")), 10000);
        // In place before showPicture returns, and not decoded a second time.
        QVERIFY(v->showPicture(path("b.jpg")));
        QCOMPARE(decodes.count(), 1);

        // A neighbour whose file changes after it was decoded is decoded again.
        v->preloadPictures({path("a.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("a.jpg")), 10000);
        QVERIFY(halves(100, 50).save(path("a.jpg"), "JPG", 90));
        QFile f(path("a.jpg"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        f.close();
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
        QVERIFY(!v->showPicture(big));   // the window's thread goes on while the worker decodes
        v->Form_KeyDown(72, 0);   // H
        v->Form_KeyDown(86, 0);   // V
        QCOMPARE(keys.count(), 0);
        QVERIFY(shown.wait(20000));
        // A quick view of the centre may stand in first; the keys wait for
        // the whole picture, then run in the order pressed (the second
        // after the first's flip).
        QTRY_COMPARE_WITH_TIMEOUT(v->picMedia->picture().size(), QSize(9000, 6000), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(keys.count(), 2, 20000);
        QCOMPARE(keys.at(1).at(0).value<int16_t>(), int16_t(86));

        // Escape during the next slow decode closes at once, while the decode
        // is still running on its worker.
        const qsizetype shownBefore = shown.count();
        QVERIFY(QFile::copy(big, path("big2.jpg")));
        QVERIFY(!v->showPicture(path("big2.jpg")));
        QVERIFY(v->pictures()->isOpening());
        QTest::keyClick(v, Qt::Key_Escape);
        QVERIFY(!v->isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QTRY_VERIFY(!m_viewer);   // and gone
        QCOMPARE(shown.count(), shownBefore);
    }

    void aLargePictureShowsItsCentreFirstThenSharpensWhereMoved()
    {
        // 96 MP: over the size that gets a quick view. A 1-pixel checker in
        // a corner far from the screen's part, a red square at the centre.
        m_options.ScaleBig = false;
        const QSize size(12000, 8000);
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(40, 90, 160));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));   // black at 0, 0
        const QRect centre(size.width() / 2 - 200, size.height() / 2 - 200, 400, 400);
        QPainter(&image).fillRect(centre, Qt::red);
        const QString big = path("gigapixel.jpg");
        QVERIFY(image.save(big, "JPG", 98));
        image = QImage();

        frmMedia *v = viewer();
        QSignalSpy developed(v->pictures(), &PicturePreloader::developed);
        QVERIFY(show(big));
        // The first view: the part around the centre, in place and painted,
        // before the whole decode is in.
        QVERIFY(developed.isEmpty());
        const QSize first = v->picMedia->picture().size();
        QVERIFY2(first.width() < size.width() && first.height() < size.height(),
                 qPrintable(QString("%1 x %2").arg(first.width()).arg(first.height())));
        const QPoint middle(v->screenPixels().width() / 2, v->screenPixels().height() / 2);
        auto shownAt = [&](QPoint at) { return v->grab().toImage().pixel(at); };
        auto red = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
        QVERIFY(red(shownAt(middle)));
        // Moved meanwhile (Ctrl+Right: 50 pixels left), it stays moved; a
        // key that changes pixels (V, turn upside down) waits for the whole
        // picture.
        QSignalSpy keys(v, &frmMedia::keyDown);
        const int left = v->session()->view().left;
        QTest::keyClick(v, Qt::Key_Right, Qt::ControlModifier);
        QTRY_COMPARE(v->session()->view().left, left - 50);
        keys.clear();
        QTest::keyClick(v, Qt::Key_V);
        QCOMPARE(keys.count(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(keys.count(), 1, 30000);
        QVERIFY(v->session()->waitForIdle(30000));
        QCOMPARE(v->picMedia->picture().size(), size);
        QCOMPARE(v->session()->view().left, (v->screenPixels().width() - size.width()) / 2 - 50);
        // The checker, turned upside down, at the bottom left.
        const QImage whole = v->picMedia->picture();
        const int bottom = size.height() - 1;
        for (const QPoint &p : {QPoint(1, 0), QPoint(0, 1), QPoint(30, 31), QPoint(63, 62)})
            QVERIFY2(qGray(whole.pixel(p.x(), bottom - p.y())) > 200, qPrintable(QString("%1, %2").arg(p.x()).arg(p.y())));
        for (const QPoint &p : {QPoint(0, 0), QPoint(1, 1), QPoint(31, 31), QPoint(62, 62)})
            QVERIFY2(qGray(whole.pixel(p.x(), bottom - p.y())) < 60, qPrintable(QString("%1, %2").arg(p.x()).arg(p.y())));
        QVERIFY(red(shownAt(middle - QPoint(50, 0))));
    }

};

QTEST_MAIN(TestFrmMedia)
#include "tst_frmmedia.moc"
