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
                titles << box->windowTitle();
                owners << box->parentWidget();
                places << box->geometry();
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList texts;
    QStringList titles;
    QList<QWidget *> owners;
    QList<QRect> places;

private:
    QTimer m_timer;
};

QStringList entries(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class TestFrmCD : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startAndFirstTick();
    void positionDisplay();
    void playPauseStop();
    void nextPreviousAndTrackList();
    void discRemovedInsertedAndExchanged();
    void noDevice();
    void noDriveBoxesSitOnTheOpener();
    void noSoundOutput();
    void closingClosesTheDevice();
    void openDiscImageAndOnTop();

private:
    frmCD *openPlayer(bool onTop = false);
    QString mode();
    // The test's stand-in for a second of play.
    void play(long sectors) { QVERIFY(m_outs.latest); m_outs.latest->pull(sectors); }

    QTemporaryDir m_dir;
    QString m_three;   // 337, 462 and 12380 sectors: 00:04:37, 00:06:12, 02:45:05
    QString m_nine;
    std::unique_ptr<MciInterpreter> m_mci;
    PulledOutputs m_outs;
    std::unique_ptr<frmCD> m_window;
    std::unique_ptr<BoxWatcher> m_boxes;   // a stray box must not hang the run
};

void TestFrmCD::initTestCase()
{
    m_three = buildTestDisc(m_dir.path(), "three", {337, 462, 12380});
    m_nine = buildTestDisc(m_dir.path(), "nine", {75, 75, 75, 75, 75, 75, 75, 75, 75});
    QVERIFY(!m_three.isEmpty() && !m_nine.isEmpty());
}

void TestFrmCD::init()
{
    m_mci = std::make_unique<MciInterpreter>();
    m_outs = PulledOutputs();
    m_mci->setOutputFactory([this] { return m_outs.make(); });
    QVERIFY(m_mci->useImageDrive().insert(m_three));
    m_boxes = std::make_unique<BoxWatcher>();
}

void TestFrmCD::cleanup()
{
    m_window.reset();
    m_mci.reset();
    // Tests that expect boxes empty the list when they have looked at it.
    const QStringList unexpected = m_boxes->texts;
    m_boxes.reset();
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(" | ")));
}

frmCD *TestFrmCD::openPlayer(bool onTop)
{
    m_window.reset();   // its unload closes the alias the new one opens
    m_window = std::make_unique<frmCD>(nullptr, m_mci.get(), onTop);
    m_window->tmrCD->stop();   // ticks come from the test
    return m_window.get();
}

QString TestFrmCD::mode()
{
    QString reply;
    m_mci->sendString("status cd mode", &reply, 30);
    return reply;
}

void TestFrmCD::startAndFirstTick()
{
    auto *w = new frmCD(nullptr, m_mci.get());
    m_window.reset(w);
    QCOMPARE(w->windowTitle(), QString("CD Player"));
    QCOMPARE(w->lblDTime->text(), QString("Disc Time :"));
    QVERIFY(w->lblDisplay->text().isEmpty());
    QVERIFY(w->tmrCD->isActive());
    QCOMPARE(w->tmrCD->interval(), 1000);
    QCOMPARE(w->cboTracks->count(), 0);
    QVERIFY(!w->cboTracks->isEditable());
    const QList<QPair<QToolButton *, QString>> tips = {
        {w->cmdPlay, "Play Track"}, {w->cmdPause, "Pause"}, {w->cmdStop, "Stop"},
        {w->cmdPrev, "Previous Track"}, {w->cmdNext, "Next Track"}, {w->cmdEject, "Eject CD"}};
    for (const auto &t : tips) {
        QCOMPARE(t.first->toolTip(), t.second);
        QVERIFY(t.first->isEnabled());
        QVERIFY(!t.first->icon().isNull());
    }
    const QFont f = w->lblDisplay->font();
    QVERIFY(f.family() == "Arial" && f.pointSize() == 24 && f.bold());
    QCOMPARE(w->lblDisplay->palette().color(QPalette::WindowText), QColor(128, 255, 128));
    QCOMPARE(w->lblDisplay->palette().color(QPalette::Window), QColor(Qt::black));

    // The real timer's first tick reads the disc.
    QTRY_VERIFY_WITH_TIMEOUT(w->loaded(), 3000);
    w->tmrCD->stop();
    QCOMPARE(entries(w->cboTracks), QStringList({"1", "2", "3"}));
    QCOMPARE(w->cboTracks->currentIndex(), 0);
    QCOMPARE(w->lblDTime->text(), QString("Disc Time : 02:55:54"));
    QCOMPARE(w->trackLengths(), QStringList({"00:04:37", "00:06:12", "02:45:05"}));
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:00"));
    QCOMPARE(w->windowTitle(), QString("Track time: 00:04:37"));
    QCOMPARE(mode(), QString("stopped"));
    w->tmrCD_Timer();
    QCOMPARE(w->cboTracks->count(), 3);   // read once per disc

    // With no disc at the start only Eject gives up.
    m_mci->imageDrive().remove();
    openPlayer()->tmrCD_Timer();
    QVERIFY(!m_window->cmdEject->isEnabled());
    for (QToolButton *b : {m_window->cmdPlay, m_window->cmdPause, m_window->cmdStop,
                           m_window->cmdPrev, m_window->cmdNext})
        QVERIFY(b->isEnabled());
}

void TestFrmCD::positionDisplay()
{
    frmCD *w = openPlayer();
    w->tmrCD_Timer();
    QCOMPARE(m_mci->sendString("seek cd to 3:02:41:00"), 0u);
    w->tmrCD_Timer();
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 02:41"));
    QCOMPARE(w->windowTitle(), QString("Track time: 02:45:05"));
    QCOMPARE(w->currentTrack(), int16_t(3));
}

void TestFrmCD::playPauseStop()
{
    frmCD *w = openPlayer();
    w->tmrCD_Timer();
    w->cmdPlay->click();
    QVERIFY(w->playing());
    QCOMPARE(mode(), QString("playing"));
    play(150);
    w->tmrCD_Timer();
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:02"));
    QVERIFY(w->playing());

    w->cmdPause->click();
    QVERIFY(!w->playing());
    QCOMPARE(mode(), QString("paused"));
    play(150);   // a paused output takes nothing
    w->tmrCD_Timer();
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:02"));
    w->cmdPlay->click();
    play(75);
    w->tmrCD_Timer();
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:03"));

    // Stop goes back to the start of the track that was playing, and Play
    // then plays that track, not track 1.
    w->cmdNext->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [02] 00:00"));
    QVERIFY(w->playing());
    play(150);
    w->cmdStop->click();
    QVERIFY(!w->playing());
    QCOMPARE(mode(), QString("stopped"));
    QCOMPARE(w->lblDisplay->text(), QString(" [02] 00:00"));
    w->cmdPlay->click();
    QCOMPARE(m_outs.latest->pull(3), binSectors(m_three, 337, 3));
    w->tmrCD_Timer();
    QVERIFY(w->playing());
}

void TestFrmCD::nextPreviousAndTrackList()
{
    frmCD *w = openPlayer();
    w->tmrCD_Timer();
    // Previous at 00:00 of track 1 wraps to the last track; at 00:00 of
    // another track it goes one back.
    w->cmdPrev->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 00:00"));
    QCOMPARE(mode(), QString("stopped"));
    w->cmdPrev->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [02] 00:00"));
    w->cmdNext->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 00:00"));

    // Previous inside a track restarts it, still playing.
    w->cmdPlay->click();
    play(80);
    w->tmrCD_Timer();
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 00:01"));
    w->cmdPrev->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 00:00"));
    QCOMPARE(mode(), QString("playing"));
    QCOMPARE(m_outs.latest->pull(2), binSectors(m_three, 337 + 462, 2));

    // Next on the last track while playing stops at track 1.
    play(100);
    w->tmrCD_Timer();
    QVERIFY(w->playing());
    w->cmdNext->click();
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:00"));
    QCOMPARE(mode(), QString("stopped"));
    QVERIFY(!w->playing());

    // Choosing from the list: seek when stopped, play when playing.
    w->cboTracks->setCurrentIndex(1);
    emit w->cboTracks->activated(1);
    QCOMPARE(w->lblDisplay->text(), QString(" [02] 00:00"));
    QCOMPARE(mode(), QString("stopped"));
    w->cmdPlay->click();
    w->cboTracks->setCurrentIndex(2);
    emit w->cboTracks->activated(2);
    QCOMPARE(w->lblDisplay->text(), QString(" [03] 00:00"));
    QCOMPARE(mode(), QString("playing"));
}

void TestFrmCD::discRemovedInsertedAndExchanged()
{
    frmCD *w = openPlayer();
    w->tmrCD_Timer();
    QVERIFY(w->loaded());

    // Eject: the next look finds the drive empty and clears everything.
    w->cmdPlay->click();
    w->cmdEject->click();
    QVERIFY(!w->loaded());
    QVERIFY(!w->playing());
    QCOMPARE(w->cboTracks->count(), 0);
    QCOMPARE(w->lblDTime->text(), QString("Disc Time :"));
    QVERIFY(w->lblDisplay->text().isEmpty());
    QCOMPARE(w->windowTitle(), QString("CD Player"));
    for (QToolButton *b : {w->cmdPlay, w->cmdPause, w->cmdStop, w->cmdPrev, w->cmdNext, w->cmdEject})
        QVERIFY(!b->isEnabled());

    // Another disc: read afresh at the next tick.
    QVERIFY(m_mci->imageDrive().insert(m_nine));
    w->tmrCD_Timer();
    QCOMPARE(entries(w->cboTracks), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    QCOMPARE(w->lblDTime->text(), QString("Disc Time : 00:09:00"));
    for (QToolButton *b : {w->cmdPlay, w->cmdPause, w->cmdStop, w->cmdPrev, w->cmdNext, w->cmdEject})
        QVERIFY(b->isEnabled());

    // Swapped between two ticks, with no tick seeing the drive empty: the
    // window keeps the list it read, while the display follows the device.
    w->cmdPlay->click();
    QVERIFY(m_mci->imageDrive().insert(m_three));
    w->tmrCD_Timer();
    QCOMPARE(w->cboTracks->count(), 9);
    QCOMPARE(w->trackCount(), int16_t(9));
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:00"));
    QVERIFY(!w->playing());   // the device stopped for the new disc

    // Taken out between ticks and put back: an empty tick resets the window.
    m_mci->imageDrive().remove();
    w->tmrCD_Timer();
    QVERIFY(m_mci->imageDrive().insert(m_three));
    w->tmrCD_Timer();
    QCOMPARE(w->cboTracks->count(), 3);
    QCOMPARE(w->lblDTime->text(), QString("Disc Time : 02:55:54"));
}

void TestFrmCD::noDevice()
{
    m_mci->useDrive(QDir(m_dir.path()).filePath("no-such-drive"));
    BoxWatcher &boxes = *m_boxes;
    frmCD *w = new frmCD(nullptr, m_mci.get());
    m_window.reset(w);
    // Each of the two commands at load shows its own error once.
    QCOMPARE(boxes.texts, QStringList({m_mci->errorString(mci::NoDrive),
                                       m_mci->errorString(mci::DeviceNotOpen)}));
    QCOMPARE(boxes.titles, QStringList({"Glintwave", "Glintwave"}));
    QVERIFY(w->lastResult() != 0);

    // The ticks go on quietly; with no answers there is nothing to press.
    QTest::qWait(2300);
    QCOMPARE(boxes.texts.size(), 2);
    for (QToolButton *b : {w->cmdPlay, w->cmdPause, w->cmdStop, w->cmdPrev, w->cmdNext, w->cmdEject})
        QVERIFY(!b->isEnabled());
    QVERIFY(!w->loaded());
    QCOMPARE(w->windowTitle(), QString("CD Player"));
    boxes.texts.clear();

    // The window stays usable: an image opened from its menu plays.
    QVERIFY(w->openDiscImage(m_three));
    QCOMPARE(w->cboTracks->count(), 3);
    QVERIFY(w->cmdPlay->isEnabled() && w->cmdEject->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
    m_mci->sendString("close all");

    // The default drive is absent on a machine without one; opening it
    // then fails the same way.
    m_window.reset();
    m_mci->useDefaultDrive();
    if (m_mci->sendString("open cdaudio alias probe") == 0) {
        boxes.texts.clear();
        QSKIP("this machine has a CD drive");
    }
    m_window = std::make_unique<frmCD>(nullptr, m_mci.get());
    QCOMPARE(boxes.texts, QStringList({m_mci->errorString(mci::NoDrive),
                                       m_mci->errorString(mci::DeviceNotOpen)}));
    boxes.texts.clear();
}

void TestFrmCD::noDriveBoxesSitOnTheOpener()
{
    // The load's boxes come before the player shows: they belong to the
    // window that opened it, centred on it, not at the screen's corner.
    m_mci->useDrive(QDir(m_dir.path()).filePath("no-such-drive"));
    BoxWatcher &boxes = *m_boxes;
    QWidget opener;
    opener.setGeometry(220, 160, 460, 380);
    opener.show();
    m_window = std::make_unique<frmCD>(&opener, m_mci.get());
    QCOMPARE(boxes.texts.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(boxes.owners[i], &opener);
        QVERIFY2(qAbs(boxes.places[i].center().x() - opener.geometry().center().x()) <= 2,
                 qPrintable(QString::number(boxes.places[i].x())));
        QVERIFY(boxes.places[i].top() > opener.geometry().top() + 20); // below its menu bar
    }
    boxes.texts.clear();
    m_window.reset();
}

void TestFrmCD::noSoundOutput()
{
    m_outs.refuseStart = true;
    BoxWatcher &boxes = *m_boxes;
    frmCD *w = openPlayer();
    w->tmrCD_Timer();
    w->cmdPlay->click();
    QTRY_COMPARE(boxes.texts, QStringList({m_mci->errorString(mci::NoAudioOutput)}));
    w->tmrCD_Timer();
    QVERIFY(!w->playing());
    QCOMPARE(w->lblDisplay->text(), QString(" [01] 00:00"));
    boxes.texts.clear();
}

void TestFrmCD::closingClosesTheDevice()
{
    frmCD *w = openPlayer();
    QVERIFY(m_mci->device("cd"));
    w->close();
    QVERIFY(!m_mci->device("cd"));
    QVERIFY(!w->tmrCD->isActive());
}

void TestFrmCD::openDiscImageAndOnTop()
{
    frmCD *w = openPlayer(true);
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    w->tmrCD_Timer();
    QCOMPARE(w->cboTracks->count(), 3);

    // The menu's choice reopens the device on the new image and reads it at once.
    QVERIFY(w->openDiscImage(m_nine));
    QCOMPARE(w->cboTracks->count(), 9);
    QCOMPARE(w->lblDTime->text(), QString("Disc Time : 00:09:00"));
    QVERIFY(m_mci->device("cd"));

    // An image that cannot be used is refused with its reason; the disc
    // that was playing stays.
    QVERIFY(!w->openDiscImage(m_dir.filePath("missing.cue")));
    QCOMPARE(m_boxes->texts.size(), 1);
    QVERIFY(m_boxes->texts[0].contains("missing.cue"));
    m_boxes->texts.clear();
    w->tmrCD_Timer();
    QCOMPARE(w->cboTracks->count(), 9);

    openPlayer();
    QVERIFY(!(m_window->windowFlags() & Qt::WindowStaysOnTopHint));
}

QTEST_MAIN(TestFrmCD)
#include "tst_frmcd.moc"
