// Takes the documentation screenshots of the two players (run under Xvfb):
//   player_screenshots <output folder>
// writes player-video.png, player-video-quarter.png and player-flash.png there.
#include "player/ui/FlashPlayerWidget.h"
#include "player/ui/MediaPlayerWidget.h"
#include "PlayerTestMedia.h"
#include "SwfWriter.h"
#include "TodaysMedia.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

static bool grabTo(QWidget *w, const QString &path)
{
    const QRect g(w->mapToGlobal(QPoint(0, 0)), w->size());
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, g.x(), g.y(), g.width(), g.height());
    return !shot.isNull() && shot.save(path);
}

int main(int argc, char **argv)
{
    testmedia::prepareEnvironment();
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: player_screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir tmp;
    QString error;
    const QString clip = tmp.filePath("clip.avi");
    if (!todaysmedia::runTool("ffmpeg", {"-y", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                   "testsrc=size=320x240:rate=25:duration=8", "-f", "lavfi", "-i",
                                   "sine=frequency=440:duration=8", "-c:v", "mpeg4", "-c:a", "pcm_s16le", clip},
                        &error)) {
        fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // A video at its original size with the time display, as the viewer shows it.
    QWidget stage;
    QPalette pal = stage.palette();
    pal.setColor(QPalette::Window, QColor(0x30, 0x00, 0x30));
    stage.setPalette(pal);
    stage.setAutoFillBackground(true);
    stage.setGeometry(0, 0, 480, 360);
    MediaPlayerWidget player(&stage);
    player.setShowTiming(true);
    player.setDisplaySize(0);
    player.setAutoSize(true);
    // Centred in the stage; auto-size keeps that centre when the clip's size arrives.
    player.setGeometry(80, 180 - player.stripHeight() / 2, 320, player.stripHeight());
    stage.show();
    if (!QTest::qWaitForWindowExposed(&stage))
        return 1;
    player.setFileName(clip);
    player.play();
    QTest::qWait(2500);
    if (!grabTo(&stage, out.filePath("player-video.png")))
        return 1;
    player.stop();

    // "1/4 Screen", centred on a whole screen; shown at half scale.
    QWidget screen;
    screen.setPalette(pal);
    screen.setAutoFillBackground(true);
    screen.setGeometry(QGuiApplication::primaryScreen()->geometry());
    MediaPlayerWidget quarter(&screen);
    quarter.setShowTiming(true);
    quarter.setDisplaySize(6);
    quarter.move((screen.width() - quarter.width()) / 2, (screen.height() - quarter.height()) / 2);
    screen.show();
    if (!QTest::qWaitForWindowExposed(&screen))
        return 1;
    quarter.setFileName(clip);
    quarter.play();
    QTest::qWait(2500);
    const QPixmap whole = QGuiApplication::primaryScreen()->grabWindow(0);
    if (whole.isNull()
        || !whole.scaled(whole.size() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .save(out.filePath("player-video-quarter.png")))
        return 1;
    quarter.stop();
    screen.hide();

    // A movie we build, rendered by Ruffle.
    SwfMovieShape shape;
    shape.stage = QSize(320, 240);
    shape.background = QColor(20, 60, 160);
    shape.square = QColor(250, 200, 30);
    shape.squareRect = QRect(100, 60, 120, 120);
    const QString movie = tmp.filePath("movie.swf");
    QFile f(movie);
    if (!f.open(QIODevice::WriteOnly) || f.write(buildSwf(shape)) < 0)
        return 1;
    f.close();
    QFile::copy(movie, out.filePath("movie.swf")); // for shots of the whole viewer
    FlashPlayerWidget flash;
    flash.setGeometry(0, 0, 480, 360);
    flash.show();
    QSignalSpy started(&flash, &FlashPlayerWidget::movieStarted);
    flash.setMovie(movie);
    if (!started.wait(30000))
        return 1;
    QTest::qWait(1500);
    return grabTo(&flash, out.filePath("player-flash.png")) ? 0 : 1;
}
