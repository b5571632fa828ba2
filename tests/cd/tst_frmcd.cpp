// The CD player window against the real interpreter and a disc image; the
// test pulls the audio and calls the timer's handler itself.
#include "CdAudioDevice.h"
#include "ImageDrive.h"
#include "MciError.h"
#include "MciInterpreter.h"
#include "OptionSet.h"
#include "TestDisc.h"
#include "frmCD.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {
// Answers each message box as it comes up and keeps its text.
class BoxWatcher : public QObject
{
public:
    BoxWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

QList<QToolButton *> buttons(frmCD *w)
{
    return {w->cmdPlay, w->cmdPause, w->cmdStop, w->cmdPrev, w->cmdNext, w->cmdEject};
}
bool allEnabled(frmCD *w, bool on)
{
    const auto all = buttons(w);
    return std::all_of(all.begin(), all.end(), [on](QToolButton *b) { return b->isEnabled() == on; });
}
} // namespace

class TestFrmCD : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_three;   // 337, 462 and 12380 sectors: 00:04:37, 00:06:12, 02:45:05
    QString m_nine;
    std::unique_ptr<MciInterpreter> m_mci;
    PulledOutputs m_outs;
    std::unique_ptr<frmCD> m_window;
    std::unique_ptr<BoxWatcher> m_boxes;   // a stray box must not hang the run

    frmCD *openPlayer(bool onTop = false)
    {
        m_window.reset();   // its unload closes the alias the new one opens
        m_window = std::make_unique<frmCD>(nullptr, m_mci.get(), onTop);
        m_window->tmrCD->stop();   // ticks come from the test
        m_window->tmrCD_Timer();
        return m_window.get();
    }
    QString mode()
    {
        QString reply;
        m_mci->sendString("status cd mode", &reply, 30);
        return reply;
    }
    // The test's stand-in for time passing while the disc plays.
    void play(long sectors) { QVERIFY(m_outs.latest); m_outs.latest->pull(sectors); }
    QString shown() const { return m_window->lblDisplay->text(); }

private slots:
    void initTestCase()
    {
        m_three = buildTestDisc(m_dir.path(), "three", {337, 462, 12380});
        m_nine = buildTestDisc(m_dir.path(), "nine", {75, 75, 75, 75, 75, 75, 75, 75, 75});
        QVERIFY(!m_three.isEmpty() && !m_nine.isEmpty());
    }
    void init()
    {
        m_mci = std::make_unique<MciInterpreter>();
        m_outs = PulledOutputs();
        m_mci->setOutputFactory([this] { return m_outs.make(); });
        QVERIFY(m_mci->useImageDrive().insert(m_three));
        m_boxes = std::make_unique<BoxWatcher>();
    }
    void cleanup()
    {
        m_window.reset();
        m_mci.reset();
        // Tests that expect boxes empty the list when they have looked at it.
        const QStringList unexpected = m_boxes->texts;
        m_boxes.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(" | ")));
    }

    void firstTickReadsTheDisc()
    {
        m_window = std::make_unique<frmCD>(nullptr, m_mci.get());
        frmCD *w = m_window.get();
        QVERIFY(w->lblDisplay->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(w->loaded(), 3000);   // the real timer's first tick
        w->tmrCD->stop();
        QCOMPARE(w->trackLengths(), QStringList({"00:04:37", "00:06:12", "02:45:05"}));
        QCOMPARE(shown(), QString(" [01] 00:00"));
        QCOMPARE(mode(), QString("stopped"));

        QCOMPARE(m_mci->sendString("seek cd to 3:02:41:00"), 0u);
        w->tmrCD_Timer();
        QCOMPARE(shown(), QString(" [03] 02:41"));
        QCOMPARE(w->windowTitle(), QString("Track time: 02:45:05"));

        // With no disc at the start only Eject gives up.
        m_mci->imageDrive().remove();
        openPlayer();
        QVERIFY(!m_window->cmdEject->isEnabled() && m_window->cmdPlay->isEnabled());
    }

    void playPauseStop()
    {
        frmCD *w = openPlayer();
        w->cmdPlay->click();
        QVERIFY(w->playing());
        play(150);
        w->tmrCD_Timer();
        QCOMPARE(shown(), QString(" [01] 00:02"));

        w->cmdPause->click();
        QVERIFY(!w->playing());
        QCOMPARE(mode(), QString("paused"));
        w->cmdPlay->click();
        play(75);
        w->tmrCD_Timer();
        QCOMPARE(shown(), QString(" [01] 00:03"));

        // Stop goes back to the start of the track that was playing, and Play
        // then plays that track, not track 1.
        w->cmdNext->click();
        QCOMPARE(shown(), QString(" [02] 00:00"));
        play(150);
        w->cmdStop->click();
        QVERIFY(!w->playing());
        QCOMPARE(mode(), QString("stopped"));
        QCOMPARE(shown(), QString(" [02] 00:00"));
        w->cmdPlay->click();
        QCOMPARE(m_outs.latest->pull(3), binSectors(m_three, 337, 3));
    }

    void previousWrapsAndNextStopsAtTheEnd()
    {
        frmCD *w = openPlayer();
        w->cmdPrev->click();   // at 00:00 of track 1: wraps to the last track
        QCOMPARE(shown(), QString(" [03] 00:00"));
        w->cmdPlay->click();
        play(80);
        w->tmrCD_Timer();
        w->cmdPrev->click();   // inside a track: restarts it, still playing
        QCOMPARE(shown(), QString(" [03] 00:00"));
        QCOMPARE(m_outs.latest->pull(2), binSectors(m_three, 337 + 462, 2));
        w->cmdNext->click();   // on the last track while playing: stops at track 1
        QCOMPARE(shown(), QString(" [01] 00:00"));
        QCOMPARE(mode(), QString("stopped"));
        w->cboTracks->setCurrentIndex(1);   // the list seeks when stopped
        emit w->cboTracks->activated(1);
        QCOMPARE(shown(), QString(" [02] 00:00"));
    }

    void discRemovedInsertedAndExchanged()
    {
        frmCD *w = openPlayer();
        // Eject: the next look finds the drive empty and clears everything.
        w->cmdPlay->click();
        w->cmdEject->click();
        QVERIFY(!w->loaded() && !w->playing());
        QCOMPARE(w->cboTracks->count(), 0);
        QVERIFY(shown().isEmpty());
        QVERIFY(allEnabled(w, false));

        // Another disc: read afresh at the next tick.
        QVERIFY(m_mci->imageDrive().insert(m_nine));
        w->tmrCD_Timer();
        QCOMPARE(w->trackLengths().size(), 9);
        QVERIFY(allEnabled(w, true));
    }

    void noDeviceAndNoSoundOutput()
    {
        m_mci->useDrive(QDir(m_dir.path()).filePath("no-such-drive"));
        m_window = std::make_unique<frmCD>(nullptr, m_mci.get());
        frmCD *w = m_window.get();
        // Each of the two commands at load shows its own error once; the
        // ticks after that are quiet, with nothing to press.
        const QStringList atLoad = {m_mci->errorString(mci::NoDrive), m_mci->errorString(mci::DeviceNotOpen)};
        QCOMPARE(m_boxes->texts, atLoad);
        w->tmrCD_Timer();
        w->tmrCD_Timer();
        QCOMPARE(m_boxes->texts, atLoad);
        QVERIFY(allEnabled(w, false) && !w->loaded());
        m_boxes->texts.clear();

        // The window stays usable: an image opened from its menu plays.
        QVERIFY(w->openDiscImage(m_three));
        QCOMPARE(w->cboTracks->count(), 3);
        QVERIFY(w->cmdPlay->isEnabled() && w->cmdEject->isEnabled());

        // With no sound output Play says so and nothing plays.
        m_outs.refuseStart = true;
        openPlayer()->cmdPlay->click();
        QTRY_COMPARE(m_boxes->texts, QStringList({m_mci->errorString(mci::NoAudioOutput)}));
        m_window->tmrCD_Timer();
        QVERIFY(!m_window->playing());
        QCOMPARE(shown(), QString(" [01] 00:00"));
        m_boxes->texts.clear();
    }

    void onTopAndClosing()
    {
        frmCD *w = openPlayer(true);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        // An image that cannot be used is refused with its reason; the disc stays.
        QVERIFY(!w->openDiscImage(m_dir.filePath("missing.cue")));
        QCOMPARE(m_boxes->texts.size(), 1);
        QVERIFY(m_boxes->texts[0].contains("missing.cue"));
        m_boxes->texts.clear();
        w->tmrCD_Timer();
        QCOMPARE(w->cboTracks->count(), 3);
        w->close();   // closing closes the device and stops the ticks
        QVERIFY(!m_mci->device("cd"));
        QVERIFY(!w->tmrCD->isActive());
    }
};

QTEST_MAIN(TestFrmCD)
#include "tst_frmcd.moc"
