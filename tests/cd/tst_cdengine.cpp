// The CD command interpreter on a generated disc image: cue sheets, playing
// and pausing, and a stuck drive that neither a read nor stop and eject wait for.
#include "cd/CdAudioDevice.h"
#include "cd/CdAudioStream.h"
#include "cd/ImageDrive.h"
#include "cd/MciError.h"
#include "cd/MciInterpreter.h"
#include "TestDisc.h"

#include "TestFiles.h"

#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {
using namespace testfiles;
// A drive whose reads wait until the test releases them, as one stuck on
// a scratch would: each read announces itself on reading first.
class StuckDrive : public ImageDrive
{
public:
    bool readAudio(long sector, int count, char *out) override
    {
        reading.release();
        release.acquire();
        return ImageDrive::readAudio(sector, count, out);
    }
    QSemaphore reading, release;
};
} // namespace

class TestCdEngine : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_cue;   // 3 tracks: 337, 462 and 12380 sectors

    // An interpreter whose device "cd" holds the disc image, in TMSF.
    void openImage(MciInterpreter &mci, PulledOutputs &outs, const QString &cue)
    {
        QVERIFY(mci.useImageDrive().insert(cue));
        mci.setOutputFactory([&outs] { return outs.make(); });
        QCOMPARE(mci.sendString("open cdaudio alias cd wait shareable"), 0u);
        QCOMPARE(mci.sendString("set cd time format tmsf wait"), 0u);
    }
    QString status(MciInterpreter &mci, const QString &what)
    {
        QString reply = "<none>";
        const uint32_t code = mci.sendString("status cd " + what, &reply, 30);
        return code == 0 ? reply : QStringLiteral("error %1").arg(code);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_cue = buildTestDisc(m_dir.path(), "disc", {337, 462, 12380});
        QVERIFY(!m_cue.isEmpty());
    }

    void cueSheets()
    {
        // Two files, a data track between audio tracks, quoted names with
        // blanks, pregaps, lower-case keywords and INDEX 00 lines.
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("side a.bin"), QByteArray(2352 * 300, '\1')));
        QVERIFY(writeFile(dir.filePath("B.BIN"), QByteArray(2352 * 100, '\2')));
        const QString cue = dir.filePath("mixed.cue");
        QVERIFY(writeFile(cue, "CATALOG 0000000000000\r\nFILE \"side a.bin\" BINARY\r\n"
                               "  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                               "  TRACK 02 MODE1/2352\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:01:00\r\n"
                               "  track 03 audio\r\n    INDEX 00 00:03:00\r\n    index 01 00:03:10\r\n"
                               "FILE B.BIN BINARY\r\n"
                               "  TRACK 04 AUDIO\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:00:50\r\n"));
        // Where each track lies shows in what is read: reads cross the file
        // boundary; the data track and the end read as silence.
        ImageDrive drive;
        QVERIFY(drive.insert(cue));
        QVERIFY(!drive.readsThroughLibcdio());
        QByteArray buf(2352 * 4, 'x');
        QVERIFY(drive.readAudio(298, 4, buf.data()));
        QCOMPARE(buf, QByteArray(2352 * 2, '\1') + QByteArray(2352 * 2, '\2'));
        QVERIFY(drive.readAudio(233, 3, buf.data()));
        QCOMPARE(buf.left(2352 * 3), QByteArray(2352 * 2, '\0') + QByteArray(2352, '\1'));
        QVERIFY(drive.readAudio(349, 2, buf.data()));
        QCOMPARE(buf.mid(2352, 2352), QByteArray(2352, '\0'));
    }

    void cueSheetsRefused_data()
    {
        QTest::addColumn<QByteArray>("text");
        const QByteArray f = "FILE \"d.bin\" BINARY\n", t1 = "TRACK 01 AUDIO\n";
        QTest::newRow("missing data file") << QByteArray("FILE \"gone.bin\" BINARY\n" + t1 + "INDEX 01 00:00:00\n");
        QTest::newRow("no index 01") << QByteArray(f + t1 + "INDEX 00 00:00:00\n");
        QTest::newRow("start past data") << QByteArray(f + t1 + "INDEX 01 00:09:00\n");
        QTest::newRow("skipped number") << QByteArray(f + t1 + "INDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 00:01:00\n");
        QTest::newRow("index order") << QByteArray(f + t1 + "INDEX 01 00:02:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n");
        QTest::newRow("no tracks") << f;
        QTest::newRow("binary junk") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11);
    }
    void cueSheetsRefused()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("d.bin"), QByteArray(2352 * 300, '\0')));   // 4 seconds
        QVERIFY(writeFile(dir.filePath("d.cue"), text));
        ImageDrive drive;
        QVERIFY(!drive.insert(dir.filePath("d.cue")));
        QVERIFY(!drive.mediaPresent());
    }

    void playAndPause()
    {
        MciInterpreter mci;
        PulledOutputs outs;
        openImage(mci, outs, m_cue);
        QCOMPARE(mci.sendString("play cd"), 0u);
        QVERIFY(outs.latest && outs.latest->source);
        QCOMPARE(outs.latest->pull(75 + 40).size(), (75 + 40) * 2352);
        QCOMPARE(status(mci, "position"), QString("01:00:01:40"));

        QCOMPARE(mci.sendString("pause cd"), 0u);
        QCOMPARE(status(mci, "mode"), QString("paused"));
        QVERIFY(outs.latest->pull(75).isEmpty());
        QCOMPARE(status(mci, "position"), QString("01:00:01:40"));
        QCOMPARE(mci.sendString("play cd"), 0u);   // resumes where it paused
        QCOMPARE(outs.latest->pull(75), binSectors(m_cue, 115, 75));
        // Playing on crosses into the next track.
        QCOMPARE(outs.latest->pull(337 - 190 + 75).size(), (337 - 190 + 75) * 2352);
        QCOMPARE(status(mci, "position"), QString("02:00:01:00"));
    }

    // Through libcdio; cueSheets reads a disc libcdio cannot open.
    void playReadsTheRightSectors()
    {
        MciInterpreter mci;
        PulledOutputs outs;
        openImage(mci, outs, m_cue);
        QVERIFY(mci.imageDrive().readsThroughLibcdio());
        QCOMPARE(mci.sendString("play cd from 2"), 0u);
        QCOMPARE(outs.latest->pull(462 + 2), binSectors(m_cue, 337, 462 + 2));
        QCOMPARE(mci.sendString("play cd from 3:02:45"), 0u);
        QCOMPARE(outs.latest->pull(99), binSectors(m_cue, 337 + 462 + 165 * 75, 5));   // 5 sectors left
        // At the end the disc stops by itself; play there does nothing and is no error.
        QTRY_COMPARE(status(mci, "mode"), QString("stopped"));
        QCOMPARE(status(mci, "position"), QString("03:02:45:05"));
        QCOMPARE(mci.sendString("play cd"), 0u);
        QCOMPARE(status(mci, "mode"), QString("stopped"));
    }

    void noSoundServer()
    {
        // The real output, pointed at a sound server that is not there: play
        // says so and the disc stays stopped where it was.
        qputenv("PULSE_SERVER", QFile::encodeName(m_dir.filePath("no-server")));
        MciInterpreter mci;
        QVERIFY(mci.useImageDrive().insert(m_cue));
        QCOMPARE(mci.sendString("open cdaudio alias cd"), 0u);
        QCOMPARE(mci.sendString("set cd time format tmsf"), 0u);
        QCOMPARE(mci.sendString("seek cd to 2"), 0u);
        QCOMPARE(mci.sendString("play cd"), uint32_t(mci::NoAudioOutput));
        QCOMPARE(status(mci, "mode"), QString("stopped"));
        QCOMPARE(status(mci, "position"), QString("02:00:00:00"));
    }

    void aReadNeverWaitsForTheDrive()
    {
        auto drive = std::make_shared<StuckDrive>();
        QVERIFY(drive->insert(m_cue));
        QByteArray got;
        {
            CdAudioStream stream(drive, 10, 40);
            // The drive is inside its first read and stays there: the caller
            // is answered with what there is (a wait here would hang the test).
            QVERIFY(drive->reading.tryAcquire(1, 10000));
            got = stream.read(30 * 2352);
            drive->release.release(1000);   // every read may now go through
            QVERIFY(QTest::qWaitFor([&] {
                got += stream.read(30 * 2352);
                return stream.atEnd();
            }, 10000));
        }
        QCOMPARE(got, binSectors(m_cue, 10, 30));
    }

    // Stop and eject while the drive is inside a read that does not end
    // until the test lets it: neither waits for it, and the drive outlives
    // the device for as long as the read needs it.
    void stopAndEjectNeverWaitForARead()
    {
        auto drive = std::make_shared<StuckDrive>();
        QVERIFY(drive->insert(m_cue));
        StuckDrive *stuck = drive.get();
        std::weak_ptr<StuckDrive> watch = drive;
        PulledOutputs outputs;
        auto device = std::make_unique<CdAudioDevice>(drive, outputs.make());
        drive.reset();
        // The command runs on a thread of its own so that a wait shows as a
        // command not done, rather than as a test that never ends.
        std::thread user;
        std::atomic_bool done{false};
        std::function<uint32_t()> command;
        auto unstick = qScopeGuard([&] {
            if (auto d = watch.lock())
                d->release.release(1000);
            if (user.joinable())
                user.join();
        });
        auto neverWaits = [&](std::function<uint32_t()> what) {
            done = false;
            command = std::move(what);
            user = std::thread([&] {
                command();
                done = true;
            });
            const bool returned = QTest::qWaitFor([&] { return done.load(); }, 5000);
            if (returned)
                user.join();
            return returned;
        };

        QCOMPARE(device->play(0, 1000), 0u);
        QVERIFY(stuck->reading.tryAcquire(1, 5000));   // the reader is inside the drive now
        QVERIFY2(neverWaits([&] { return device->stop(); }), "stop waited for the drive");
        QCOMPARE(device->play(0, 1000), 0u);
        QVERIFY(stuck->reading.tryAcquire(1, 5000));
        QVERIFY2(neverWaits([&] { return device->setDoor(true); }), "the eject waited for the drive");
        QCOMPARE(int(device->mode()), int(CdAudioDevice::Mode::Open));
        QCOMPARE(stuck->release.available(), 0);   // both reads are still inside the drive

        // The drive outlives the device while a read needs it.
        device.reset();
        QVERIFY(!watch.expired());
        stuck->release.release(1000);
        QTRY_VERIFY(watch.expired());
    }
};

QTEST_GUILESS_MAIN(TestCdEngine)
#include "tst_cdengine.moc"
