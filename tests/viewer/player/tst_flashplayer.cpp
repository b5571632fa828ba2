// The Flash player: movies we build are played by the real Ruffle in a web
// view, keys still reach the viewer window, and only a movie that stops on
// its last frame finishes by itself.
#include "player/ui/FlashPlayerWidget.h"
#include "PlayerTestMedia.h"
#include "player/RufflePage.h"
#include "SwfWriter.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include "TestFiles.h"

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

    void playsKeysAndEndsOnlyAtAStopOnTheLastFrame()
    {
        SwfMovieShape loop;
        loop.frames = 6;
        loop.frameRate = 24;   // a quarter second a round
        SwfMovieShape once;
        once.frames = 12;
        once.frameRate = 12;   // one second of frames
        once.stopFrames = {12};
        KeyWindow window;
        window.resize(210, 160);
        auto *player = new FlashPlayerWidget(&window);
        player->setGeometry(5, 5, 200, 150);
        player->setLastFrameHold(300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy started(player, &FlashPlayerWidget::movieStarted);
        QSignalSpy finished(player, &FlashPlayerWidget::movieFinished);
        player->setMovie(writeMovie("loop.swf", buildSwf(loop)));
        QVERIFY2(started.wait(30000), qPrintable(player->errorText()));

        // Clicking the movie hands the focus to the page's own widget; the
        // viewer window must still see every key.
        QWidget *page = player->view()->focusProxy();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(100, 75));
        QTest::keyClick(page, Qt::Key_P);
        QTest::keyClick(page, Qt::Key_Escape);
        // Handed on from the event loop: a loaded machine may take a moment.
        QTRY_COMPARE_WITH_TIMEOUT(window.keys, (QList<int>{Qt::Key_P, Qt::Key_Escape}), 10000);
        QVERIFY(finished.isEmpty() && !finished.wait(600));   // a few rounds of the movie: it must not finish

        player->setMovie(writeMovie("once.swf", buildSwf(once)));
        QVERIFY(started.wait(30000));
        // Not at once (the mended rule): only after its frames and the hold.
        QVERIFY(!finished.wait(900));
        QVERIFY(finished.wait(10000));
        QVERIFY(player->isFinished());

        // A file that is no movie is refused, by name, on the screen.
        QSignalSpy failed(player, &FlashPlayerWidget::errorOccurred);
        player->setMovie(writeMovie("junk.swf", "GIF89a and then nothing useful"));
        QTRY_COMPARE(failed.count(), 1);
        QVERIFY(player->errorText().contains("junk.swf"));
        QTRY_VERIFY(player->findChild<QLabel *>()->isVisible());
    }

private:
    QString writeMovie(const QString &name, const QByteArray &bytes)
    {
        return testfiles::writeFile(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
    }

    QTemporaryDir m_dir;
};

GW_PLAYER_TEST_MAIN(TestFlashPlayer)
#include "tst_flashplayer.moc"
