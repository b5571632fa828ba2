// The CD player window wired to the real interpreter and a disc image; the
// test pulls the audio and calls the timer's handler itself. The commands
// themselves are tested in tst_cdengine.
#include "cd/CdAudioDevice.h"
#include "cd/ImageDrive.h"
#include "cd/MciError.h"
#include "cd/MciInterpreter.h"
#include "TestDisc.h"
#include "cd/ui/frmCD.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "../info/WhenModal.h"

class TestFrmCD : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_three;   // 337, 462 and 12380 sectors: 00:04:37, 00:06:12, 02:45:05

private slots:
    void initTestCase()
    {
        m_three = buildTestDisc(m_dir.path(), "three", {337, 462, 12380});
        QVERIFY(!m_three.isEmpty());
    }

    void buttonsAndTicksReachTheDisc()
    {
        MciInterpreter mci;
        PulledOutputs outs;
        mci.setOutputFactory([&outs] { return outs.make(); });
        QVERIFY(mci.useImageDrive().insert(m_three));
        BoxWatch boxes;   // a stray box must not hang the run
        frmCD w(nullptr, &mci);
        QTRY_VERIFY_WITH_TIMEOUT(w.loaded(), 3000);   // the real timer's first tick
        w.tmrCD->stop();
        QCOMPARE(w.trackLengths(), QStringList({"00:04:37", "00:06:12", "02:45:05"}));
        QCOMPARE(w.lblDisplay->text(), QString(" [01] 00:00"));

        w.cmdPlay->click();
        QVERIFY(w.playing() && outs.latest);
        outs.latest->pull(150);   // two seconds of playing
        w.tmrCD_Timer();
        QCOMPARE(w.lblDisplay->text(), QString(" [01] 00:02"));
        // Stop goes back to the start of the track that was playing, and Play
        // then plays that track, not track 1.
        w.cmdNext->click();
        outs.latest->pull(150);
        w.cmdStop->click();
        QCOMPARE(w.lblDisplay->text(), QString(" [02] 00:00"));
        w.cmdPlay->click();
        QCOMPARE(outs.latest->pull(3), binSectors(m_three, 337, 3));

        w.cmdEject->click();
        QVERIFY(!w.loaded() && !w.playing() && !w.cmdPlay->isEnabled());
        QCOMPARE(w.cboTracks->count(), 0);
        w.close();   // closing closes the device
        QVERIFY(!mci.device("cd"));
        QCOMPARE(boxes.texts, QStringList());
    }

    void errorsAreShownOnceAndAnImageStillOpens()
    {
        MciInterpreter mci;
        mci.useDrive(QDir(m_dir.path()).filePath("no-such-drive"));
        BoxWatch boxes;
        frmCD w(nullptr, &mci);
        const QStringList atLoad = {"Glintwave: " + mci.errorString(mci::NoDrive),
                                    "Glintwave: " + mci.errorString(mci::DeviceNotOpen)};
        QCOMPARE(boxes.texts, atLoad);
        w.tmrCD_Timer();   // the ticks after that are quiet
        QCOMPARE(boxes.texts, atLoad);
        QVERIFY(!w.cmdPlay->isEnabled() && !w.loaded());
        QVERIFY(w.openDiscImage(m_three));
        QCOMPARE(w.cboTracks->count(), 3);
        QVERIFY(w.cmdPlay->isEnabled());
    }
};

QTEST_MAIN(TestFrmCD)
#include "tst_frmcd.moc"
