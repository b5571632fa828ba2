// The Flash player: movies we build are played by the real Ruffle in a web
// view, and only a movie that stops on its last frame finishes by itself.
#include "FlashPlayerWidget.h"
#include "PlayerTestMedia.h"
#include "RufflePage.h"
#include "SwfWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

namespace {
// Stands for the viewer window: it must see every key.
class KeyWindow : public QWidget {
public:
    QList<int> keys;
protected:
    void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
};
}

class TestFlashPlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!rufflepage::findRuffleFolder().isEmpty(), "Ruffle is not installed (run scripts/setup)");
    }

    void rendersTheMovieAndHandsOnKeys()
    {
        SwfMovieShape shape;   // blue stage 200 x 150, red square (50, 25, 100, 100)
        shape.frames = 3;
        shape.compressed = true;
        const QString movie = writeMovie("square.swf", shape);
        QVERIFY(!movie.isEmpty());

        KeyWindow window;
        window.resize(410, 310);
        auto *player = new FlashPlayerWidget(&window);
        player->setGeometry(5, 5, 400, 300);   // same proportions: scaled by 2 exactly
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy started(player, &FlashPlayerWidget::movieStarted);
        QSignalSpy progress(player, &FlashPlayerWidget::progress);
        player->setMovie(movie);
        QCOMPARE(player->percentLoaded(), 0);
        QVERIFY2(started.wait(30000), qPrintable(player->errorText()));
        QCOMPARE(player->percentLoaded(), 100);
        QCOMPARE(progress.count(), 1);
        QCOMPARE(progress.at(0).at(0).toInt(), 100);

        // Pixels of the page: the square in the middle, the stage around it.
        const auto drawn = [&] {
            const QImage shot = player->view()->grab().toImage();
            return near(shot.pixel(200, 150), qRgb(255, 0, 0)) && near(shot.pixel(20, 20), qRgb(0, 0, 255))
                && near(shot.pixel(380, 280), qRgb(0, 0, 255)) && near(shot.pixel(110, 60), qRgb(255, 0, 0))
                && near(shot.pixel(90, 60), qRgb(0, 0, 255));
        };
        QTRY_VERIFY_WITH_TIMEOUT(drawn(), 15000);
        QVERIFY(player->errorText().isEmpty());

        // Clicking the movie hands the focus to the page's own widget; the
        // viewer window must still see every key.
        QWidget *page = player->view()->focusProxy();
        QVERIFY(page);
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::keyClick(page, Qt::Key_P);
        QTest::keyClick(page, Qt::Key_Escape);
        // Handed on from the event loop: a loaded machine may take a moment.
        QTRY_COMPARE_WITH_TIMEOUT(window.keys, (QList<int>{Qt::Key_P, Qt::Key_Escape}), 10000);
    }

    void onlyAMovieStoppingOnItsLastFrameFinishes()
    {
        SwfMovieShape loop;
        loop.frames = 6;
        loop.frameRate = 24;   // a quarter second a round
        SwfMovieShape once;
        once.frames = 12;
        once.frameRate = 12;   // one second of frames
        once.stopFrames = {12};
        FlashPlayerWidget player;
        player.setLastFrameHold(300);
        player.resize(200, 150);
        player.show();
        QSignalSpy started(&player, &FlashPlayerWidget::movieStarted);
        QSignalSpy finished(&player, &FlashPlayerWidget::movieFinished);
        player.setMovie(writeMovie("loop.swf", loop));
        QVERIFY(!player.movieInfo().stopsOnLastFrame);
        QVERIFY(started.wait(30000));
        QVERIFY(!finished.wait(600));   // a few rounds of the movie: it must not finish

        const QString movie = writeMovie("once.swf", once);
        player.setMovie(movie);
        QVERIFY(player.movieInfo().stopsOnLastFrame);
        QCOMPARE(player.percentLoaded(), 0);
        QVERIFY(started.wait(30000));
        QElapsedTimer sinceStart;
        sinceStart.start();
        // Not at once (the mended rule): only after its frames and the hold.
        QVERIFY(finished.wait(10000));
        QVERIFY2(sinceStart.elapsed() >= 1200, qPrintable(QString::number(sinceStart.elapsed())));
        QVERIFY(player.isFinished());
        QCOMPARE(finished.count(), 1);

        // A new movie starts over.
        player.setMovie(movie);
        QVERIFY(!player.isFinished());
        QVERIFY(finished.wait(15000));
        QCOMPARE(finished.count(), 2);

        // Unloading the movie stops everything.
        player.setMovie(QString());
        QCOMPARE(player.percentLoaded(), 0);
    }

    void notAMovie()
    {
        const QString junk = m_dir.filePath("junk.swf");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("GIF89a and then nothing useful");
        f.close();
        FlashPlayerWidget player;
        player.resize(300, 200);
        player.show();
        QSignalSpy failed(&player, &FlashPlayerWidget::errorOccurred);
        QSignalSpy started(&player, &FlashPlayerWidget::movieStarted);
        player.setMovie(junk);
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(player.errorText().contains("junk.swf"));
        auto *line = player.findChild<QLabel *>();
        QVERIFY(line && line->isVisible());
        QCOMPARE(line->text(), player.errorText());
        player.setMovie(m_dir.filePath("absent.swf"));
        QTRY_COMPARE(failed.count(), 2);
        QVERIFY(!started.wait(300));   // neither may start after all

        // A player closed while its movie loads leaves nothing behind.
        SwfMovieShape shape;
        auto *closing = new FlashPlayerWidget;
        closing->show();
        closing->setMovie(writeMovie("closing.swf", shape));
        QTest::qWait(100);   // the page is loading
        delete closing;
        QTest::qWait(300);   // nothing left behind fires into the deleted player
    }

private:
    QString writeMovie(const QString &name, const SwfMovieShape &shape)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(buildSwf(shape)) < 0)
            return QString();
        return path;
    }

    static bool near(QRgb c, QRgb want) {
        return qAbs(qRed(c) - qRed(want)) < 40 && qAbs(qGreen(c) - qGreen(want)) < 40
            && qAbs(qBlue(c) - qBlue(want)) < 40;
    }
    QTemporaryDir m_dir;
};

GW_PLAYER_TEST_MAIN(TestFlashPlayer)
#include "tst_flashplayer.moc"
