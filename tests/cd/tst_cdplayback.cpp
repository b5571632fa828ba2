// Plays a generated disc image through QAudioSink to a real sound server
// (run-with-pulse.sh starts one with a null sink) and listens to what
// arrived there with parec.
#include "ImageDrive.h"
#include "MciInterpreter.h"
#include "TestDisc.h"
#include "frmCD.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cmath>

class TestCdPlayback : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void playsTrackTwoAtItsPitch();
    void pauseHoldsAndPlayEndsAtTheDiscEnd();
    void screenshot();
    void serverGoingAwayStopsTheDisc();   // last: it ends the sound server

private:
    QString status(const QString &what);

    QTemporaryDir m_dir;
    QString m_cue;   // 1 s at 441 Hz, 4 s at 882 Hz, 2 s at 1323 Hz
    std::unique_ptr<MciInterpreter> m_mci;
};

void TestCdPlayback::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("needs the sound server of run-with-pulse.sh");
    m_cue = buildTestDisc(m_dir.path(), "tones", {75, 300, 150});
    QVERIFY(!m_cue.isEmpty());
}

void TestCdPlayback::init()
{
    m_mci = std::make_unique<MciInterpreter>();
    QVERIFY(m_mci->useImageDrive().insert(m_cue));
    QCOMPARE(m_mci->sendString("open cdaudio alias cd wait shareable"), 0u);
    QCOMPARE(m_mci->sendString("set cd time format tmsf wait"), 0u);
}

void TestCdPlayback::cleanup()
{
    m_mci.reset();
}

QString TestCdPlayback::status(const QString &what)
{
    QString reply;
    const uint32_t code = m_mci->sendString("status cd " + what, &reply, 30);
    return code ? QStringLiteral("error %1").arg(code) : reply;
}

void TestCdPlayback::playsTrackTwoAtItsPitch()
{
    QProcess rec;
    rec.start("parec", {"-d", "nullsink.monitor", "--raw", "--format=s16le", "--rate=44100",
                        "--channels=2", "--latency-msec=20"});
    QVERIFY(rec.waitForStarted());
    QTest::qWait(300);

    QCOMPARE(m_mci->sendString("play cd from 2"), 0u);
    QCOMPARE(status("mode"), QString("playing"));
    QTest::qWait(1500);
    // The position follows real time: 1.5 s in, give or take the output's buffer.
    const QString pos = status("position");
    QVERIFY2(pos.startsWith("02:00:0"), qPrintable(pos));
    const double seconds = pos.mid(6, 2).toInt() + pos.mid(9, 2).toInt() / 75.0;
    QVERIFY2(seconds > 0.8 && seconds < 2.8, qPrintable(pos));
    QCOMPARE(m_mci->sendString("stop cd"), 0u);
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
    QVERIFY2(loud > 44100 / 2, qPrintable(QString("only %1 loud samples recorded").arg(loud)));
    const double hz = rising / (double(last - first) / 44100.0);
    QVERIFY2(std::abs(hz - 882) < 882 * 0.03, qPrintable(QString("heard %1 Hz").arg(hz)));
}

void TestCdPlayback::pauseHoldsAndPlayEndsAtTheDiscEnd()
{
    QCOMPARE(m_mci->sendString("play cd from 3"), 0u);
    QTest::qWait(500);
    QCOMPARE(m_mci->sendString("pause cd"), 0u);
    const QString held = status("position");
    QTest::qWait(700);
    QCOMPARE(status("position"), held);
    QCOMPARE(status("mode"), QString("paused"));
    QCOMPARE(m_mci->sendString("play cd"), 0u);
    QCOMPARE(status("mode"), QString("playing"));
    // Track 3 is 2 s long and the last: the device stops by itself at its end.
    QTRY_COMPARE_WITH_TIMEOUT(status("mode"), QString("stopped"), 6000);
    QCOMPARE(status("position"), QString("03:00:02:00"));
}

void TestCdPlayback::screenshot()
{
    // Run under Xvfb with GW_CD_SCREENSHOT=<png path> to picture the
    // player while it plays track 2.
    const QString path = qEnvironmentVariable("GW_CD_SCREENSHOT");
    if (path.isEmpty())
        QSKIP("GW_CD_SCREENSHOT not set");
    m_mci->sendString("close all");
    frmCD w(nullptr, m_mci.get());
    w.move(40, 40);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY_WITH_TIMEOUT(w.loaded(), 3000);
    w.cmdNext->click();
    w.cmdPlay->click();
    QTest::qWait(2400);
    QVERIFY(w.playing());
    QVERIFY(w.lblDisplay->text().startsWith(" [02] 00:0"));
    const QRect frame = w.frameGeometry().adjusted(-8, -8, 8, 8);
    const QPixmap shot = w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    QVERIFY(shot.save(path, "PNG"));
}

void TestCdPlayback::serverGoingAwayStopsTheDisc()
{
    QCOMPARE(m_mci->sendString("play cd from 2"), 0u);
    QTest::qWait(500);
    QCOMPARE(status("mode"), QString("playing"));
    QCOMPARE(QProcess::execute("pactl", {"exit"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(status("mode"), QString("stopped"), 5000);
    const QString pos = status("position");
    QVERIFY2(pos > QString("02:00:00:00") && pos < QString("02:00:03:00"), qPrintable(pos));
}

QTEST_MAIN(TestCdPlayback)
#include "tst_cdplayback.moc"
