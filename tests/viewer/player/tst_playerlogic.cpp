// The player's pure rules: display sizes, seek steps, the time display, the
// Ruffle page and what a movie's bytes tell about its end.
#include "PlayEndWatch.h"
#include "DisplaySize.h"
#include "PlayerPlacement.h"
#include "PlayerStepping.h"
#include "RufflePage.h"
#include "SwfInfo.h"
#include "SwfWriter.h"
#include "TimingText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QJsonArray>
#include <QtTest>

Q_DECLARE_METATYPE(SwfMovieShape)

class TestPlayerLogic : public QObject {
    Q_OBJECT
private slots:
    void displaySizes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("clip");
        QTest::addColumn<QSize>("expected");
        const QSize clip(160, 120);
        QTest::newRow("half") << 1 << clip << QSize(80, 60);
        QTest::newRow("half of a 1x1 clip stays visible") << 1 << QSize(1, 1) << QSize(1, 1);
        QTest::newRow("double") << 2 << clip << QSize(320, 240);
        QTest::newRow("original, clip unknown") << 0 << QSize() << QSize();
        QTest::newRow("full screen ignores the clip") << 3 << clip << QSize(1280, 1024);
        QTest::newRow("1/9 screen: a third each side") << 4 << QSize() << QSize(427, 341);
        QTest::newRow("1/4 screen") << 6 << clip << QSize(640, 512);
        QTest::newRow("1/2 screen: half the area") << 7 << clip << QSize(905, 724);
        QTest::newRow("out of range shows the original") << 8 << clip << QSize(160, 120);
    }

    void displaySizes()
    {
        QFETCH(int, mode);
        QFETCH(QSize, clip);
        QFETCH(QSize, expected);
        QCOMPARE(displaysize::videoArea(mode, clip, QSize(1280, 1024)), expected);
    }

    void seekSteps_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("shift");
        QTest::addColumn<double>("expected");
        QTest::newRow("> plain") << 3.0 << true << 0 << 4.0;
        QTest::newRow("> Alt, no upper bound") << 3.0 << true << 4 << 33.0;
        QTest::newRow("> Shift+Ctrl does nothing") << 3.0 << true << 3 << 3.0;
        QTest::newRow("< Ctrl at 4 floors at 0") << 4.0 << false << 2 << 0.0;
        QTest::newRow("< Alt+Ctrl does nothing") << 12.0 << false << 6 << 12.0;
        QTest::newRow("< exactly to 0") << 5.0 << false << 1 << 0.0;
    }

    void seekSteps()
    {
        QFETCH(double, position);
        QFETCH(bool, forward);
        QFETCH(int, shift);
        QFETCH(double, expected);
        QCOMPARE(playerstep::steppedPosition(position, forward, shift), expected);
    }

    void timing_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown duration") << qint64(0) << qint64(0) << "0:00";
        QTest::newRow("minutes") << qint64(61000) << qint64(3599999) << "1:01 / 59:59";
        QTest::newRow("an hour-long clip shows hours in both") << qint64(5000) << qint64(3600000)
                                                               << "0:00:05 / 1:00:00";
        QTest::newRow("negative position") << qint64(-20) << qint64(1000) << "0:00 / 0:01";
    }

    void timing()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, duration);
        QFETCH(QString, expected);
        QCOMPARE(timingText(position, duration), expected);
    }

    void placement()
    {
        using namespace playerplacement;
        const QSizeF screen(12000, 9000);   // 800 x 600 pixels
        QCOMPARE(videoTwips(QSizeF(4800, 3600), screen, 0), QRectF(3600, 2700, 4800, 3600));
        // 1/9 Screen: a third each way from the corner of the centred old size.
        QCOMPARE(videoTwips(QSizeF(2400, 1500), screen, 4), QRectF(4800, 3750, 4000, 3000));
        QCOMPARE(audioTwips(450, screen), QRectF(0, 8550, 12000, 450));
        QCOMPARE(centredTwips(QSizeF(3000, 300), screen), QRectF(4500, 4350, 3000, 300));
        QCOMPARE(flashPixels(screen), QRect(5, 5, 790, 590));
        QCOMPARE(flashPixels(QSizeF(60, 300)), QRect(5, 5, 0, 10));
    }

    void rufflePageEscapesMovie()
    {
        // A file name may hold quotes and even "</script>": the page must keep
        // its structure and carry the exact path to Ruffle.
        const QString path = QStringLiteral("/tmp/we\"ird</script><b>/mo vie's.swf");
        rufflepage::Settings settings;
        settings.quality = QStringLiteral("Low");
        const QString page = rufflepage::html(QUrl::fromLocalFile("/opt/ruffle/"), QUrl::fromLocalFile(path), settings);

        QCOMPARE(page.count(QStringLiteral("</script>")), 3);
        QVERIFY(!page.contains(QStringLiteral("<b>")));

        const QRegularExpression configRe(QStringLiteral("RufflePlayer\\.config = (\\{.*\\});"));
        const auto cm = configRe.match(page);
        QVERIFY(cm.hasMatch());
        const QJsonObject config = QJsonDocument::fromJson(cm.captured(1).replace("<\\/", "</").toUtf8()).object();
        QCOMPARE(config.value("publicPath").toString(), QStringLiteral("file:///opt/ruffle/"));
        QCOMPARE(config.value("quality").toString(), QStringLiteral("low"));

        const QRegularExpression urlRe(QStringLiteral("player\\.load\\(\\{url: (\"[^\"]*\")\\}\\)"));
        const auto um = urlRe.match(page);
        QVERIFY(um.hasMatch());
        const QString url = QJsonDocument::fromJson("[" + um.captured(1).replace("<\\/", "</").toUtf8() + "]")
                                .array().at(0).toString();
        QCOMPARE(QUrl(url).toLocalFile(), path);
    }

    void swfEnd_data()
    {
        QTest::addColumn<SwfMovieShape>("shape");
        QTest::addColumn<bool>("stops");
        // Five frames; stop and "go to frame 1" actions on the given frames.
        const auto movie = [](QList<int> stops, QList<int> jumps = {}, int version = 6) {
            SwfMovieShape s;
            s.frames = 5;
            s.stopFrames = stops;
            s.gotoFirstFrames = jumps;
            s.version = version;
            return s;
        };
        SwfMovieShape compressed = movie({5}), one = movie({1}), as3 = movie({5}, {}, 9);
        compressed.compressed = true;
        one.frames = 1;
        as3.actionScript3 = true;
        QTest::newRow("stop on the last frame") << movie({5}) << true;
        QTest::newRow("compressed, stop on the last frame") << compressed << true;
        QTest::newRow("one frame with a stop") << one << true;
        QTest::newRow("no stop: loops") << movie({}) << false;
        QTest::newRow("stop on frame 2 waits there") << movie({2}) << false;
        QTest::newRow("a jump back before the end") << movie({5}, {3}) << false;
        QTest::newRow("a jump on the last frame loops") << movie({}, {5}) << false;
        QTest::newRow("ActionScript 3") << as3 << false;
        QTest::newRow("version 8 with file attributes") << movie({5}, {}, 8) << true;
    }

    void swfEnd()
    {
        QFETCH(SwfMovieShape, shape);
        QFETCH(bool, stops);
        const SwfInfo info = readSwfInfo(buildSwf(shape));
        QVERIFY2(info.valid, qPrintable(info.problem));
        QCOMPARE(info.frameCount, shape.frames);
        QCOMPARE(info.stopsOnLastFrame, stops);
    }

    void swfHeader()
    {
        SwfMovieShape s;
        s.stage = QSize(550, 400);
        s.frameRate = 24.5;
        s.frames = 49;
        s.compressed = true;
        const SwfInfo info = readSwfInfo(buildSwf(s));
        QVERIFY(info.valid);
        QVERIFY(info.compressed);
        QCOMPARE(info.stageSize, QSize(550, 400));
        QCOMPARE(info.frameRate, 24.5);
        QCOMPARE(info.playingSeconds(), 2.0);
    }

    void swfDamaged()
    {
        QVERIFY(!readSwfInfo(QByteArray("GIF89a not a movie")).valid);
        QVERIFY(!readSwfInfo(QByteArray("FWS")).valid);
        QVERIFY(!readSwfInfoFile(QStringLiteral("/nonexistent/movie.swf")).valid);

        // Compressed data that is not a zlib stream, and an absurd declared size.
        QByteArray bad("CWS\x06\x40\0\0\0garbagegarbage", 22);
        QVERIFY(!readSwfInfo(bad).valid);
        // A movie too big to unpack here is still handed to the player, but
        // its end is not vouched for.
        QByteArray huge("CWS\x06\xff\xff\xff\x7f", 8);
        const SwfInfo big = readSwfInfo(huge + qCompress(QByteArray(100, 'x')).mid(4));
        QVERIFY(big.valid);
        QVERIFY(!big.stopsOnLastFrame);

        // Every cut of a movie is read without a crash; a cut inside the tag list
        // never vouches for an end it did not see.
        SwfMovieShape s;
        s.frames = 4;
        s.stopFrames = {4};
        const QByteArray whole = buildSwf(s);
        int cutsVouching = 0;
        for (int n = 0; n < whole.size(); ++n) {
            const SwfInfo info = readSwfInfo(whole.left(n));
            if (info.stopsOnLastFrame)
                ++cutsVouching;
        }
        // Only cuts inside the closing End tag may still see all four frames.
        QVERIFY(cutsVouching <= 2);
        QVERIFY(readSwfInfo(whole).stopsOnLastFrame);
    }
    void clipEndWithoutEndOfStream()
    {
        // A 2 s clip observed every 100 ms; returns when (in ms) the watch
        // called the end, or -1. position(t) gives the player's position.
        auto endAt = [](const std::function<qint64(qint64)> &position, qint64 duration = 2000,
                        const std::function<bool(qint64)> &advancing = {}) -> qint64 {
            PlayEndWatch watch;
            for (qint64 t = 0; t <= 30000; t += 100)
                if (watch.update(t, advancing ? advancing(t) : true, position(t), duration))
                    return t;
            return -1;
        };
        // The position stays at the duration: ended a second or so later.
        qint64 t = endAt([](qint64 t) { return std::min<qint64>(t, 2000); });
        QVERIFY2(t >= 3000 && t <= 3200, qPrintable(QString::number(t)));
        // The stream stops short of its end (the last frames never come): the
        // end is called a second after it was due.
        t = endAt([](qint64 t) { return std::min<qint64>(t, 1500); });
        QVERIFY2(t >= 3000 && t <= 3600, qPrintable(QString::number(t)));
        // Running past the duration ends it at once.
        t = endAt([](qint64 t) { return t * 2; });
        QVERIFY2(t > 1000 && t <= 1400, qPrintable(QString::number(t)));
        // Slow but moving (a loaded machine): never an end while it moves.
        QCOMPARE(endAt([](qint64 t) { return t / 20; }), qint64(-1));
        // Paused at the end for a long time: not an end while paused; playing on
        // from there ends it after the grace.
        t = endAt([](qint64 t) { return std::min<qint64>(t, 2000); }, 2000, [](qint64 t) { return t < 1500 || t > 20000; });
        QVERIFY2(t >= 21000 && t <= 21300, qPrintable(QString::number(t)));
        // Not moving at all yet (still opening) is not an end; unknown length neither.
        QCOMPARE(endAt([](qint64) { return 0; }), qint64(-1));
        QCOMPARE(endAt([](qint64 t) { return std::min<qint64>(t, 2000); }, 0), qint64(-1));
        // A jump back (the seek keys) makes the end due later.
        t = endAt([](qint64 t) { return t < 1000 ? t : std::min<qint64>(t - 900, 2000); });
        QVERIFY2(t >= 3900 && t <= 4200, qPrintable(QString::number(t)));
        // The end is told once.
        PlayEndWatch once;
        int ends = 0;
        for (qint64 t = 0; t < 10000; t += 100)
            ends += once.update(t, true, 2000, 2000);
        QCOMPARE(ends, 1);
    }
};

QTEST_GUILESS_MAIN(TestPlayerLogic)
#include "tst_playerlogic.moc"
