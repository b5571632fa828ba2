// The player's pure rules: the Ruffle page and what a movie's bytes (or a
// clip's positions) tell about its end.
#include "player/PlayEndWatch.h"
#include "player/RufflePage.h"
#include "player/SwfInfo.h"
#include "SwfWriter.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QJsonArray>
#include <QtTest>


class TestPlayerLogic : public QObject {
    Q_OBJECT
private slots:
    void rufflePageEscapesMovie()
    {
        // A file name may hold quotes and even "</script>": the page must keep
        // its structure and carry the exact path to Ruffle.
        const QString path = QStringLiteral("/tmp/we\"ird</script><b>/mo vie's.swf");
        const QString page = rufflepage::html(QUrl::fromLocalFile("/opt/ruffle/"), QUrl::fromLocalFile(path), {});

        QCOMPARE(page.count(QStringLiteral("</script>")), 3);
        QVERIFY(!page.contains(QStringLiteral("<b>")));

        const QRegularExpression urlRe(QStringLiteral("player\\.load\\(\\{url: (\"[^\"]*\")\\}\\)"));
        const QString url = QJsonDocument::fromJson("[" + urlRe.match(page).captured(1).replace("<\\/", "</").toUtf8() + "]")
                                .array().at(0).toString();
        QCOMPARE(QUrl(url).toLocalFile(), path);
    }

    void swfEndAndDamage()
    {
        // Five frames; stop and "go to frame 1" actions on the given frames.
        const auto stops = [](QList<int> stops, QList<int> jumps = {}) {
            SwfMovieShape s;
            s.frames = 5;
            s.stopFrames = stops;
            s.gotoFirstFrames = jumps;
            const QByteArray whole = buildSwf(s);
            const SwfInfo info = readSwfInfo(whole);
            // A movie cut short in its last frame never vouches for an end it did not see.
            const bool cutVouches = readSwfInfo(whole.left(whole.size() - 3)).stopsOnLastFrame;
            return info.valid && info.frameCount == 5 && info.stopsOnLastFrame && !cutVouches;
        };
        QVERIFY(stops({5}));
        QVERIFY(!stops({2}));           // a stop on frame 2 waits there
        QVERIFY(!stops({5}, {3}));      // a jump back before the stop
        // Compressed data that is not a zlib stream, and an absurd declared size.
        QVERIFY(!readSwfInfo(QByteArray("CWS\x06\x40\0\0\0garbagegarbage", 22)).valid);
    }

    void clipEndWithoutEndOfStream()
    {
        // A 2 s clip observed every 100 ms; returns when (in ms) the watch
        // called the end, or -1. position(t) gives the player's position.
        auto endAt = [](const std::function<qint64(qint64)> &position,
                        const std::function<bool(qint64)> &advancing = {}) -> qint64 {
            PlayEndWatch watch;
            for (qint64 t = 0; t <= 30000; t += 100)
                if (watch.update(t, advancing ? advancing(t) : true, position(t), 2000))
                    return t;
            return -1;
        };
        // The stream stops short of its end (the last frames never come): the
        // end is called a second after it was due.
        qint64 t = endAt([](qint64 t) { return std::min<qint64>(t, 1500); });
        QVERIFY2(t >= 3000 && t <= 3600, qPrintable(QString::number(t)));
        // Running past the duration ends it at once.
        t = endAt([](qint64 t) { return t * 2; });
        QVERIFY2(t > 1000 && t <= 1400, qPrintable(QString::number(t)));
        // Slow but moving (a loaded machine): never an end while it moves.
        QCOMPARE(endAt([](qint64 t) { return t / 20; }), qint64(-1));
        // Paused at the end for a long time: not an end while paused.
        QCOMPARE(endAt([](qint64 t) { return std::min<qint64>(t, 2000); }, [](qint64 t) { return t < 1500; }), qint64(-1));
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
