// Plays a generated disc image through QAudioSink to a real sound server
// (run-with-pulse.sh starts one with a null sink) and listens to what
// arrived there with parec.
#include "cd/ImageDrive.h"
#include "cd/MciInterpreter.h"
#include "TestDisc.h"

#include <QProcess>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

class TestCdPlayback : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_cue;   // 1 s at 441 Hz, 4 s at 882 Hz, 2 s at 1323 Hz
    std::unique_ptr<MciInterpreter> m_mci;

    QString status(const QString &what)
    {
        QString reply;
        const uint32_t code = m_mci->sendString("status cd " + what, &reply, 30);
        return code ? QStringLiteral("error %1").arg(code) : reply;
    }
    // Seconds into the track of a TMSF position ("tt:mm:ss:ff").
    double seconds()
    {
        const QString p = status("position");
        return p.mid(3, 2).toInt() * 60 + p.mid(6, 2).toInt() + p.mid(9, 2).toInt() / 75.0;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QSKIP("needs the sound server of run-with-pulse.sh");
        m_cue = buildTestDisc(m_dir.path(), "tones", {75, 300, 150});
        QVERIFY(!m_cue.isEmpty());
    }
    void init()
    {
        m_mci = std::make_unique<MciInterpreter>();
        QVERIFY(m_mci->useImageDrive().insert(m_cue));
        QCOMPARE(m_mci->sendString("open cdaudio alias cd wait shareable"), 0u);
        QCOMPARE(m_mci->sendString("set cd time format tmsf wait"), 0u);
    }
    void cleanup() { m_mci.reset(); }
    // Track 3 is 2 s long and the last: it plays at its pitch, in real time,
    // and the device stops by itself at its end.
    void playsTheLastTrackToTheEnd()
    {
        QProcess rec;
        rec.start("parec", {"-d", "nullsink.monitor", "--raw", "--format=s16le", "--rate=44100",
                            "--channels=2", "--latency-msec=20"});
        QVERIFY(rec.waitForStarted());
        // The recorder is connected before the disc starts.
        const auto recording = [] {
            QProcess p;
            p.start("pactl", {"list", "short", "source-outputs"});
            return p.waitForFinished(5000) && !p.readAllStandardOutput().trimmed().isEmpty();
        };
        QTRY_VERIFY_WITH_TIMEOUT(recording(), 5000);

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_mci->sendString("play cd from 3"), 0u);
        QCOMPARE(status("mode"), QString("playing"));
        // 1.5 s in after about 1.5 s, give or take the output's buffer.
        QTRY_VERIFY_WITH_TIMEOUT(seconds() >= 1.5, 5000);
        QVERIFY2(clock.elapsed() > 200 && clock.elapsed() < 2200, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(status("mode"), QString("stopped"), 6000);
        QCOMPARE(status("position"), QString("03:00:02:00"));
        rec.terminate();
        QVERIFY(rec.waitForFinished(5000));

        // Left channel, loud part only: count rising zero crossings.
        const QByteArray raw = rec.readAllStandardOutput();
        const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
        const qsizetype frames = raw.size() / 4;
        qsizetype loud = 0, rising = 0, first = -1, last = -1;
        for (qsizetype i = 1; i < frames; ++i) {
            if (std::abs(s[2 * i]) > 4000) {
                ++loud;
                if (first < 0)
                    first = i;
                last = i;
            }
            if (first >= 0 && s[2 * (i - 1)] < 0 && s[2 * i] >= 0)
                ++rising;
        }
        QVERIFY2(loud > 44100, qPrintable(QString("only %1 loud samples recorded").arg(loud)));
        const double hz = rising / (double(last - first) / 44100.0);
        QVERIFY2(std::abs(hz - 1323) < 1323 * 0.03, qPrintable(QString("heard %1 Hz").arg(hz)));
    }

    // last: it ends the sound server
    void serverGoingAwayStopsTheDisc()
    {
        QCOMPARE(m_mci->sendString("play cd from 2"), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(seconds() >= 0.4, 5000);
        QCOMPARE(status("mode"), QString("playing"));
        QCOMPARE(QProcess::execute("pactl", {"exit"}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(status("mode"), QString("stopped"), 5000);
        const QString pos = status("position");
        QVERIFY2(pos > QString("02:00:00:00") && pos < QString("02:00:03:00"), qPrintable(pos));
    }
};

QTEST_MAIN(TestCdPlayback)
#include "tst_cdplayback.moc"
