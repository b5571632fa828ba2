// soak_players [PLAYS] [KINDS...]: plays each clip kind PLAYS times (50 by
// default) in the viewer window, as opening the file from the list does, on
// the real screen, and counts the
// plays that reached their end within the clip's duration + 3 s, and, for
// video, the plays whose picture showed on the screen (not a black area).
// Video plays go round display sizes 0, 2, 4 and 7. A play still open after
// SOAK_GIVE_UP_S seconds (10) counts as never ending.
#include "core/AppState.h"
#include "player/ui/FlashPlayerWidget.h"
#include "player/ui/MediaPlayerWidget.h"
#include "core/OptionSet.h"
#include "PlayerTestMedia.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

#include <cstdio>

namespace {

// The players linked in, as the program's module makes them.
struct LinkedPlayers : PlayerMaker {
    MediaPlayerView *newMediaPlayer(QWidget *parent) override { return new MediaPlayerWidget(parent); }
    FlashPlayerView *newFlashPlayer(QWidget *parent) override { return new FlashPlayerWidget(parent); }
    QString problem() const override { return {}; }
};

// True when the player's picture area on the screen shows more than black.
bool pictureOnScreen(MediaPlayerWidget &player)
{
    auto *video = player.findChild<QWidget *>("videoArea");
    if (!video || video->width() < 4 || video->height() < 4)
        return false;
    const QPoint at = video->mapToGlobal(QPoint(0, 0));
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, at.x(), at.y(), video->width(), video->height())
                            .toImage();
    int lit = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            lit += qGray(shot.pixel(x, y)) > 40;
    return lit > 10;
}

struct Counts {
    int plays = 0, ended = 0, late = 0, never = 0, failed = 0, shown = 0, frames = 0;
    qint64 worstMs = 0;
};

}

int main(int argc, char **argv)
{
    testmedia::prepareEnvironment();
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const int plays = args.isEmpty() ? 50 : args.takeFirst().toInt();
    QStringList kinds = args;
    if (kinds.isEmpty())
        kinds = {"wav", "mp3", "au", "mid", "mpg", "avi", "asf"};

    QTemporaryDir dir;
    OptionSet options;
    options.TimingInfo = true;
    AppState state;
    LinkedPlayers players;
    const int videoSizes[] = {0, 2, 4, 7};
    // A play still open this long after it started never ends on its own.
    const int giveUpS = qEnvironmentVariableIntValue("SOAK_GIVE_UP_S");
    const int giveUpMs = 1000 * (giveUpS > 0 ? giveUpS : 10);

    int allPlays = 0, allEnded = 0, allVideo = 0, allShown = 0;
    for (const QString &kind : kinds) {
        QString error;
        const QString clip = testmedia::makeClip(dir.path(), kind, &error);
        if (clip.isEmpty()) {
            std::printf("%-4s cannot make the clip: %s\n", qPrintable(kind), qPrintable(error));
            continue;
        }
        const bool video = kind == "mpg" || kind == "avi" || kind == "asf";
        Counts c;
        for (int i = 0; i < plays; ++i) {
            options.VideoSize = video ? videoSizes[i % 4] : 0;
            QPointer<frmMedia> viewer = new frmMedia(options, state, nullptr, nullptr, &players);
            auto *player = static_cast<MediaPlayerWidget *>(viewer->mediaPlayer());
            int frames = 0;
            bool shown = false;
            QObject::connect(player->mediaPlayer()->videoSink(), &QVideoSink::videoFrameChanged, player,
                             [&](const QVideoFrame &f) { frames += f.isValid(); });
            QEventLoop loop;
            bool ended = false, failed = false;
            QObject::connect(player, &MediaPlayerWidget::endOfStream, &loop, [&] { ended = true; loop.quit(); });
            QObject::connect(player, &MediaPlayerWidget::errorOccurred, &loop, [&] { failed = true; loop.quit(); });
            // Look at the screen while the clip plays.
            QTimer look;
            QObject::connect(&look, &QTimer::timeout, &loop, [&] {
                if (viewer && video && !shown && player->isPlaying() && player->currentPosition() > 0.2)
                    shown = pictureOnScreen(*player);
            });
            look.start(150);
            QTimer::singleShot(giveUpMs, &loop, &QEventLoop::quit);
            QElapsedTimer clock;
            clock.start();
            if (video)
                viewer->showVideo(clip);
            else
                viewer->showAudio(clip);
            loop.exec();
            look.stop();
            const double duration = viewer ? std::max(player->duration(), 1.0) : 1.0;
            const qint64 ms = clock.elapsed();
            if (qEnvironmentVariableIsSet("SOAK_VERBOSE"))
                std::printf("  %s #%d size %d: %s after %lld ms, %d frames, picture %s, at %lld of %lld ms, "
                            "state %d, status %d\n",
                            qPrintable(kind), i, options.VideoSize, ended ? "ended" : failed ? "failed" : "open",
                            ms, frames, shown ? "shown" : "not shown",
                            viewer ? player->mediaPlayer()->position() : -1LL,
                            viewer ? player->mediaPlayer()->duration() : -1LL,
                            viewer ? int(player->mediaPlayer()->playbackState()) : -1,
                            viewer ? int(player->mediaPlayer()->mediaStatus()) : -1);
            if (viewer)
                viewer->close();   // deletes itself
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ++c.plays;
            c.worstMs = std::max(c.worstMs, ms);
            if (failed)
                ++c.failed;
            else if (!ended)
                ++c.never;
            else if (ms <= qint64((duration + 3) * 1000))
                ++c.ended;
            else
                ++c.late;
            c.frames += frames;
            c.shown += shown;
        }
        std::printf("%-4s %d plays: %d ended within duration + 3 s, %d late, %d never (%d s), %d failed; "
                    "longest %.1f s",
                    qPrintable(kind), c.plays, c.ended, c.late, c.never, giveUpMs / 1000, c.failed, c.worstMs / 1000.0);
        if (video)
            std::printf("; picture on screen in %d of %d plays, %.1f frames a play", c.shown, c.plays,
                        double(c.frames) / std::max(1, c.plays));
        std::printf("\n");
        std::fflush(stdout);
        allPlays += c.plays;
        allEnded += c.ended;
        if (video) {
            allVideo += c.plays;
            allShown += c.shown;
        }
    }
    std::printf("all  %d plays, %d ended in time; video: %d of %d plays showed their picture\n", allPlays, allEnded,
                allShown, allVideo);
    return allEnded == allPlays && allShown == allVideo ? 0 : 1;
}
