#include "cd/ui/frmCD.h"

#include "cd/ui/CdIcons.h"
#include "cd/ImageDrive.h"
#include "cd/MciInterpreter.h"
#include "core/ui/Module1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int ReplyLength = 30;
const QString AppTitle = QStringLiteral("Glintwave");

QString two(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// A two-digit field of a reply; false when it is not a number.
bool field(const QString &reply, int from, int16_t &value)
{
    bool ok = false;
    value = int16_t(reply.mid(from, 2).trimmed().toInt(&ok));
    return ok;
}

} // namespace

frmCD::frmCD(QWidget *parent, MciInterpreter *mci, bool onTop)
    : QWidget(parent, Qt::Window), m_mci(mci ? *mci : mciSystem()), m_onTop(onTop)
{
    setObjectName("frmCD");
    setWindowTitle("CD Player");
    buildControls();
    Form_Load();
}

frmCD::~frmCD()
{
    Form_Unload();
}

void frmCD::buildControls()
{
    setFixedSize(292, 132);
    auto button = [this](const char *name, CdIcon icon, const char *tip, int left) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(cdIcon(icon));
        b->setIconSize(QSize(22, 22));
        b->setToolTip(tip);
        b->setGeometry(left, 8, 34, 32);
        return b;
    };
    cmdPlay = button("cmdPlay", CdIcon::Play, "Play Track", 8);
    cmdPause = button("cmdPause", CdIcon::Pause, "Pause", 44);
    cmdStop = button("cmdStop", CdIcon::Stop, "Stop", 80);
    cmdPrev = button("cmdPrev", CdIcon::Previous, "Previous Track", 116);
    cmdNext = button("cmdNext", CdIcon::Next, "Next Track", 152);
    cmdEject = button("cmdEject", CdIcon::Eject, "Eject CD", 188);

    cboTracks = new QComboBox(this);
    cboTracks->setObjectName("cboTracks");
    cboTracks->setEditable(false);
    cboTracks->setGeometry(230, 10, 54, 28);

    lblDisplay = new QLabel(this);
    lblDisplay->setObjectName("lblDisplay");
    QFont big(QStringLiteral("Arial"), 24);
    big.setBold(true);
    lblDisplay->setFont(big);
    lblDisplay->setAutoFillBackground(true);
    QPalette pal = lblDisplay->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, QColor(128, 255, 128));
    lblDisplay->setPalette(pal);
    lblDisplay->setGeometry(8, 48, 276, 50);

    lblDTime = new QLabel(QStringLiteral("Disc Time :"), this);
    lblDTime->setObjectName("lblDTime");
    lblDTime->setGeometry(8, 104, 276, 20);

    tmrCD = new QTimer(this);
    tmrCD->setObjectName("tmrCD");
    tmrCD->setInterval(1000);

    connect(cmdPlay, &QToolButton::clicked, this, &frmCD::cmdPlay_Click);
    connect(cmdPause, &QToolButton::clicked, this, &frmCD::cmdPause_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmCD::cmdStop_Click);
    connect(cmdPrev, &QToolButton::clicked, this, &frmCD::cmdPrev_Click);
    connect(cmdNext, &QToolButton::clicked, this, &frmCD::cmdNext_Click);
    connect(cmdEject, &QToolButton::clicked, this, &frmCD::cmdEject_Click);
    connect(cboTracks, &QComboBox::activated, this, &frmCD::cboTracks_Click);
    connect(tmrCD, &QTimer::timeout, this, &frmCD::tmrCD_Timer);
    tmrCD->start();
}

void frmCD::Form_Load()
{
    Module1::SetTopmost(this, m_onTop ? -1 : 0);
    send(QStringLiteral("open cdaudio alias cd wait shareable"));
    send(QStringLiteral("set cd time format tmsf wait"));
}

void frmCD::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    tmrCD->stop();
    send(QStringLiteral("close all"));
}

void frmCD::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmCD::SendCommand(QString &command, bool showErrors, bool &ok)
{
    m_lastResult = m_mci.sendString(command);
    if (showErrors && m_lastResult != 0) {
        // Ticks wait while the box is up, so that a failing poll cannot
        // stack one box on another.
        ++m_errorShown;
        // Before the player shows (the commands of its load) the box belongs
        // to the window that opened it, and is centred there.
        QWidget *owner = isVisible() || !parentWidget() ? this : parentWidget()->window();
        QMessageBox box(QMessageBox::NoIcon, AppTitle, m_mci.errorString(m_lastResult),
                        QMessageBox::Ok, owner);
        box.exec();
        --m_errorShown;
    }
    ok = (m_lastResult == 0);
}

void frmCD::send(const QString &command)
{
    m_command = command;
    bool ok = false;
    SendCommand(m_command, true, ok);
}

bool frmCD::query(const QString &command)
{
    return m_mci.sendString(command, &m_reply, ReplyLength) == 0;
}

void frmCD::noDisc()
{
    cmdEject->setEnabled(false);
    if (!m_loaded)
        return;
    for (QToolButton *b : {cmdPlay, cmdPause, cmdNext, cmdPrev, cmdStop})
        b->setEnabled(false);
    m_loaded = false;
    m_playing = false;
    lblDTime->setText(QStringLiteral("Disc Time :"));
    lblDisplay->clear();
    setWindowTitle(QStringLiteral("CD Player"));
    cboTracks->clear();
}

// Reads a newly found disc; false when its track count cannot be read.
bool frmCD::loadDisc()
{
    int16_t count = 0;
    if (!query(QStringLiteral("status cd number of tracks wait")) || !field(m_reply, 0, count)
        || count < 1)
        return false;
    m_trackCount = count;
    cmdEject->setEnabled(true);
    {
        // Filling the list must not count as the user choosing track 1.
        const QSignalBlocker block(cboTracks);
        cboTracks->clear();
        for (int t = 1; t <= count; ++t)
            cboTracks->addItem(QString::number(t));
        cboTracks->setCurrentIndex(0);
    }
    const bool haveLength = query(QStringLiteral("status cd length wait"));
    lblDTime->setText(QStringLiteral("Disc Time : ") + (haveLength ? m_reply : QString()));
    m_trackLengths.clear();
    for (int t = 1; t <= count; ++t)
        m_trackLengths << (query(QStringLiteral("status cd length track %1").arg(t)) ? m_reply
                                                                                    : QString());
    for (QToolButton *b : {cmdPlay, cmdPause, cmdNext, cmdPrev, cmdStop})
        b->setEnabled(true);
    m_loaded = true;
    send(QStringLiteral("seek cd to 1"));
    return true;
}

void frmCD::unreadable()
{
    // No device, or one whose answers make no sense: no disc, and nothing
    // to press until a disc has been read.
    noDisc();
    for (QToolButton *b : {cmdPlay, cmdPause, cmdNext, cmdPrev, cmdStop})
        b->setEnabled(false);
}

void frmCD::RefreshStatus()
{
    if (!query(QStringLiteral("status cd media present"))
        || (m_reply != QLatin1String("true") && m_reply != QLatin1String("false"))) {
        unreadable();
        return;
    }
    if (m_reply == QLatin1String("false")) {
        noDisc();
        return;
    }
    if (!m_loaded && !loadDisc()) {
        unreadable();
        return;
    }
    int16_t track = 0, minute = 0, second = 0;
    if (!query(QStringLiteral("status cd position")) || !field(m_reply, 0, track)
        || !field(m_reply, 3, minute) || !field(m_reply, 6, second)) {
        unreadable();
        return;
    }
    m_curTrack = track;
    m_curMin = minute;
    m_curSec = second;
    lblDisplay->setText(" [" + two(track) + "] " + two(minute) + ":" + two(second));
    if (track >= 1 && track <= m_trackLengths.size())
        setWindowTitle(QStringLiteral("Track time: ") + m_trackLengths[track - 1]);
    else
        setWindowTitle(QStringLiteral("CD Player"));
    m_playing = query(QStringLiteral("status cd mode")) && m_reply.startsWith(QLatin1String("playing"));
}

void frmCD::goToTrack(int track)
{
    send((m_playing ? QStringLiteral("play cd from ") : QStringLiteral("seek cd to "))
         + QString::number(track));
}

void frmCD::cmdPlay_Click()
{
    send(QStringLiteral("play cd"));
    m_playing = true;
}

void frmCD::cmdPause_Click()
{
    send(QStringLiteral("pause cd"));
    m_playing = false;
    RefreshStatus();
}

void frmCD::cmdStop_Click()
{
    send(QStringLiteral("stop cd wait"));
    send(QStringLiteral("seek cd to ") + QString::number(m_curTrack));
    m_playing = false;
    RefreshStatus();
}

void frmCD::cmdEject_Click()
{
    send(QStringLiteral("set cd door open"));
    RefreshStatus();
}

void frmCD::cmdNext_Click()
{
    if (m_curTrack < m_trackCount)
        goToTrack(m_curTrack + 1);
    else
        send(QStringLiteral("seek cd to 1"));
    RefreshStatus();
}

void frmCD::cmdPrev_Click()
{
    int target = m_curTrack;
    if (m_curMin == 0 && m_curSec == 0)
        target = m_curTrack > 1 ? m_curTrack - 1 : m_trackCount;
    goToTrack(target);
    RefreshStatus();
}

void frmCD::cboTracks_Click()
{
    goToTrack(cboTracks->currentIndex() + 1);
    RefreshStatus();
}

void frmCD::tmrCD_Timer()
{
    if (m_errorShown == 0)
        RefreshStatus();
}

void frmCD::reopen()
{
    send(QStringLiteral("close all"));
    m_loaded = true;   // so that noDisc() empties everything
    noDisc();
    send(QStringLiteral("open cdaudio alias cd wait shareable"));
    send(QStringLiteral("set cd time format tmsf wait"));
    RefreshStatus();
}

bool frmCD::openDiscImage(const QString &cuePath)
{
    ImageDrive &drive = m_mci.useImageDrive();
    if (!drive.insert(cuePath)) {
        QMessageBox::warning(this, AppTitle,
                             QStringLiteral("The disc image cannot be played.\n%1").arg(drive.lastError()));
        return false;
    }
    reopen();
    return true;
}

void frmCD::useCdDrive()
{
    m_mci.useDefaultDrive();
    reopen();
}

void frmCD::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *image = menu.addAction(QStringLiteral("Open Disc &Image..."));
    QAction *drive = menu.addAction(QStringLiteral("Use CD &Drive"));
    drive->setEnabled(m_mci.usesImageDrive());
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == image) {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Open Disc Image"), QString(),
            QStringLiteral("Cue sheets (*.cue);;All files (*)"));
        if (!path.isEmpty())
            openDiscImage(path);
    } else if (chosen == drive) {
        useCdDrive();
    }
}
