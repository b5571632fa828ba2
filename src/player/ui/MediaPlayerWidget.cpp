#include "player/ui/MediaPlayerWidget.h"

#include <QMediaMetaData>

#include "player/DisplaySize.h"
#include "player/TimingText.h"
#include "player/ui/VideoArea.h"
#include "core/Twips.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QDeadlineTimer>
#include <QVideoSink>

namespace {

int buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0)
        | (m & Qt::AltModifier ? 4 : 0);
}

QString cannotPlayText(const QString &path, const QString &reason)
{
    return MediaPlayerWidget::tr("Cannot play \"%1\": %2").arg(QFileInfo(path).fileName(), reason);
}

}

MediaPlayerWidget::MediaPlayerWidget(QWidget *parent)
    : MediaPlayerView(parent),
      m_player(new QMediaPlayer(this)),
      m_audio(new QAudioOutput(this)),
      m_video(new VideoArea(this)),
      m_strip(new QWidget(this)),
      m_playButton(new QToolButton(m_strip)),
      m_seek(new QSlider(Qt::Horizontal, m_strip)),
      m_timing(new QLabel(m_strip)),
      m_message(new QLabel(this))
{
    // Keys belong to the viewer's key handler, never to the player's parts.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    // Audio-only clips only reach their end with an output attached.
    m_player->setAudioOutput(m_audio);
    m_player->setVideoSink(m_video->videoSink());
    m_video->setObjectName(QStringLiteral("videoArea"));
    m_video->setFocusPolicy(Qt::NoFocus);

    m_playButton->setFocusPolicy(Qt::NoFocus);
    m_playButton->setAutoRaise(true);
    m_playButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_seek->setRange(0, 0);
    m_timing->setText(timingText(0, 0));
    m_timing->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *bar = new QHBoxLayout(m_strip);
    bar->setContentsMargins(4, 2, 6, 2);
    bar->addWidget(m_playButton);
    bar->addWidget(m_seek, 1);
    bar->addWidget(m_timing);

    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setAutoFillBackground(true);
    m_message->hide();

    m_loadWatchdog.setSingleShot(true);
    connect(&m_loadWatchdog, &QTimer::timeout, this, [this] {
        fail(cannotPlayText(m_fileName, tr("the file could not be opened.")));
    });
    m_endTimer.setInterval(200);
    connect(&m_endTimer, &QTimer::timeout, this, &MediaPlayerWidget::watchForEnd);

    connect(m_playButton, &QToolButton::clicked, this, [this] {
        if (isPlaying())
            pause();
        else
            play();
    });
    connect(m_seek, &QSlider::sliderMoved, this, [this](int ms) { m_player->setPosition(ms); });

    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MediaPlayerWidget::onStatusChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString &text) {
                if (error == QMediaPlayer::NoError)
                    return;
                fail(cannotPlayText(m_fileName, text.isEmpty() ? tr("the format is not supported.") : text));
            });
    connect(m_player, &QMediaPlayer::positionChanged, this, &MediaPlayerWidget::updateTiming);
    connect(m_player, &QMediaPlayer::durationChanged, this, &MediaPlayerWidget::updateTiming);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState s) {
        m_playButton->setIcon(style()->standardIcon(s == QMediaPlayer::PlayingState
                                                        ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    });
    // Queued: Qt 6.4 emits this with the sink's lock held, and reading the
    // size back at once would deadlock.
    connect(m_video->videoSink(), &QVideoSink::videoSizeChanged, this, &MediaPlayerWidget::onClipSizeKnown,
            Qt::QueuedConnection);
    // A player too small to show a frame learns the size from the stream.
    connect(m_player, &QMediaPlayer::metaDataChanged, this, &MediaPlayerWidget::onClipSizeKnown,
            Qt::QueuedConnection);
    connect(m_player, &QMediaPlayer::tracksChanged, this, &MediaPlayerWidget::onClipSizeKnown,
            Qt::QueuedConnection);

    watchChildren(this);
    updateStrip();
}

MediaPlayerWidget::~MediaPlayerWidget()
{
    m_loadWatchdog.stop();
    m_endTimer.stop();
    m_player->stop();
}

void MediaPlayerWidget::watchChildren(QObject *root)
{
    // Presses on the picture must reach us even when the video widget keeps
    // a window of its own; the bar's button and slider handle their own.
    for (QObject *o : root->children()) {
        if (o->isWidgetType() && o != m_playButton && o != m_seek) {
            static_cast<QWidget *>(o)->setFocusPolicy(Qt::NoFocus);
            o->installEventFilter(this);
            watchChildren(o);
        }
    }
}

void MediaPlayerWidget::setShowTiming(bool on)
{
    if (m_showTiming == on)
        return;
    m_showTiming = on;
    updateStrip();
    applyDisplaySize(false);
}

void MediaPlayerWidget::setSwitch1112(bool on)
{
    if (m_switch1112 == on)
        return;
    m_switch1112 = on;
    updateStrip();
    applyDisplaySize(false);
}

void MediaPlayerWidget::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on && m_clipSize.isValid())
        applyDisplaySize(true);
}

void MediaPlayerWidget::setDisplaySize(int mode)
{
    m_displaySize = displaysize::normalised(mode);
    applyDisplaySize(false);
}

int MediaPlayerWidget::stripHeight() const
{
    if (!m_switch1112 && !m_showTiming)
        return 0;
    int h = m_timing->sizeHint().height();
    if (m_switch1112)
        h = qMax(h, qMax(m_playButton->sizeHint().height(), m_seek->sizeHint().height()));
    const QMargins mg = m_strip->layout()->contentsMargins();
    return h + mg.top() + mg.bottom();
}

QSize MediaPlayerWidget::screenSize() const
{
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(800, 600);
}

void MediaPlayerWidget::applyDisplaySize(bool keepCentre)
{
    const QSize area = displaysize::videoArea(m_displaySize, m_clipSize, screenSize());
    QSize total;
    if (m_displaySize == displaysize::FullScreen)
        total = area;
    else if (area.isValid())
        total = QSize(area.width(), area.height() + stripHeight());
    else
        total = QSize(width(), stripHeight());   // nothing to show but the strip
    if (total == size())
        return;
    const QPoint centre = geometry().center();
    resize(total);
    if (keepCentre) {
        QRect g(QPoint(0, 0), total);
        g.moveCenter(centre);
        move(g.topLeft());
    }
}

void MediaPlayerWidget::updateStrip()
{
    m_playButton->setVisible(m_switch1112);
    m_seek->setVisible(m_switch1112);
    m_timing->setVisible(m_showTiming);
    m_strip->setVisible(m_switch1112 || m_showTiming);
    layoutChildren();
}

void MediaPlayerWidget::layoutChildren()
{
    const int sh = m_strip->isVisibleTo(this) ? stripHeight() : 0;
    const int vh = qMax(0, height() - sh);
    m_video->setGeometry(0, 0, width(), vh);
    m_strip->setGeometry(0, vh, width(), sh);
    // A message needs a line of room even in a strip-only player.
    QRect msg = vh >= m_message->sizeHint().height() ? QRect(0, 0, width(), vh) : rect();
    m_message->setGeometry(msg);
    m_message->raise();
}

void MediaPlayerWidget::resizeEvent(QResizeEvent *event)
{
    MediaPlayerView::resizeEvent(event);
    layoutChildren();
}

void MediaPlayerWidget::updateTiming()
{
    const qint64 pos = m_player->position(), dur = m_player->duration();
    m_timing->setText(timingText(pos, dur));
    if (m_seek->maximum() != dur)
        m_seek->setRange(0, int(qMax<qint64>(0, dur)));
    if (!m_seek->isSliderDown())
        m_seek->setValue(int(pos));
}

void MediaPlayerWidget::setFileName(const QString &path)
{
    m_loadWatchdog.stop();
    m_endTimer.stop();
    m_endWatch.reset();
    m_player->stop();
    if (!m_player->source().isEmpty())
        m_player->setSource(QUrl());
    m_fileName = path;
    m_clipSize = QSize();
    m_errorText.clear();
    m_endReported = false;
    m_message->hide();
    m_video->clear();
    m_video->show();
    updateTiming();
    if (path.isEmpty())
        return;

    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("cda"), Qt::CaseInsensitive) == 0) {
        // A track stub of an audio CD holds no sound of its own.
        m_errorText = tr("\"%1\" is a track of an audio CD: tracks are played in the CD player.")
                          .arg(info.fileName());
        showMessage(m_errorText);
        notify([this, text = m_errorText] { emit errorOccurred(text); });
        return;
    }
    if (!info.isFile() || !info.isReadable()) {
        fail(cannotPlayText(path, tr("the file cannot be read.")));
        return;
    }
    m_player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (m_errorText.isEmpty() && m_loadTimeoutMs > 0)
        m_loadWatchdog.start(m_loadTimeoutMs);
}

void MediaPlayerWidget::onStatusChanged(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        m_loadWatchdog.stop();
        break;
    case QMediaPlayer::EndOfMedia:
        m_loadWatchdog.stop();
        reportEnd();
        break;
    case QMediaPlayer::InvalidMedia:
        fail(cannotPlayText(m_fileName, tr("the format is not supported.")));
        break;
    default:
        break;
    }
}

void MediaPlayerWidget::reportEnd()
{
    m_endTimer.stop();
    if (m_endReported || !m_errorText.isEmpty())
        return;
    m_endReported = true;
    notify([this] { emit endOfStream(0); });
}

void MediaPlayerWidget::watchForEnd()
{
    const QMediaPlayer::MediaStatus status = m_player->mediaStatus();
    const bool advancing = isPlaying() && status != QMediaPlayer::StalledMedia
        && status != QMediaPlayer::LoadingMedia && m_errorText.isEmpty();
    const qint64 now = QDeadlineTimer::current().deadline();
    if (!m_endWatch.update(now, advancing, m_player->position(), m_player->duration()))
        return;
    // The pipeline's own message is lost or late: stop it where it is, as
    // its end would have, and tell the end ourselves.
    m_player->stop();
    reportEnd();
}

void MediaPlayerWidget::onClipSizeKnown()
{
    QSize s = m_video->videoSink()->videoSize();
    if (!s.isValid() || s.isEmpty())
        s = m_player->metaData().value(QMediaMetaData::Resolution).toSize();
    if (!s.isValid() || s.isEmpty()) {
        const QList<QMediaMetaData> tracks = m_player->videoTracks();
        if (!tracks.isEmpty())
            s = tracks.first().value(QMediaMetaData::Resolution).toSize();
    }
    if (!s.isValid() || s.isEmpty() || s == m_clipSize)
        return;
    m_clipSize = s;
    if (m_autoSize)
        applyDisplaySize(true);
}

void MediaPlayerWidget::fail(const QString &message)
{
    if (!m_errorText.isEmpty())
        return;   // the first reason is the one worth showing
    m_loadWatchdog.stop();
    m_endTimer.stop();
    m_errorText = message;
    m_player->stop();
    showMessage(message);
    notify([this, message] { emit errorOccurred(message); });
}

void MediaPlayerWidget::showMessage(const QString &text)
{
    m_video->hide();
    m_message->setText(text);
    m_message->show();
    // A strip-only player (audio) may be too low for a line of text; it
    // grows upwards, since the audio player sits on the screen's bottom.
    const int need = m_message->sizeHint().height();
    if (height() < need)
        setGeometry(x(), y() - (need - height()), width(), need);
    layoutChildren();
}

void MediaPlayerWidget::play()
{
    if (m_errorText.isEmpty() && !m_fileName.isEmpty()) {
        m_endReported = false;   // playing again after the end is a new run
        m_endWatch.reset();
        m_endTimer.start();
        m_player->play();
    }
}

void MediaPlayerWidget::pause()
{
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
}

void MediaPlayerWidget::stop()
{
    m_endTimer.stop();
    m_endWatch.reset();
    m_player->stop();
}

bool MediaPlayerWidget::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

double MediaPlayerWidget::currentPosition() const
{
    return m_player->position() / 1000.0;
}

void MediaPlayerWidget::setCurrentPosition(double seconds)
{
    if (!(seconds > 0))   // also catches NaN
        seconds = 0;
    m_player->setPosition(qint64(seconds * 1000.0));
}

double MediaPlayerWidget::duration() const
{
    return m_player->duration() / 1000.0;
}

void MediaPlayerWidget::setGeometryTwips(double left, double top, double width, double height)
{
    setGeometry(twips::toPixels(left), twips::toPixels(top),
                qMax(0, twips::toPixels(width)), qMax(0, twips::toPixels(height)));
}

QRectF MediaPlayerWidget::geometryTwips() const
{
    const QRect g = geometry();
    return QRectF(twips::fromPixels(g.x()), twips::fromPixels(g.y()),
                  twips::fromPixels(g.width()), twips::fromPixels(g.height()));
}

void MediaPlayerWidget::notify(std::function<void()> signal)
{
    // Listeners may close the viewer and delete us: never from inside the
    // backend's or the mouse event's own call, and not at all once deleted.
    QMetaObject::invokeMethod(this, std::move(signal), Qt::QueuedConnection);
}

bool MediaPlayerWidget::handlePress(QMouseEvent *event, QWidget *from)
{
    const QPoint p = from->mapTo(this, event->position().toPoint());
    m_pressedButton = event->button();
    const int b = buttonCode(event->button());
    const int shift = shiftCode(event->modifiers());
    notify([this, b, shift, p] {
        emit mouseDown(b, shift, p.x(), p.y());
        if (b == 1)
            emit leftButtonPressed();
    });
    return true;
}

bool MediaPlayerWidget::handleRelease(QMouseEvent *event, QWidget *from)
{
    const QPoint p = from->mapTo(this, event->position().toPoint());
    const bool click = event->button() == m_pressedButton && rect().contains(p);
    m_pressedButton = Qt::NoButton;
    if (click)
        notify([this, b = buttonCode(event->button())] { emit clicked(b); });
    return true;
}

void MediaPlayerWidget::mousePressEvent(QMouseEvent *event)
{
    handlePress(event, this);
}

void MediaPlayerWidget::mouseReleaseEvent(QMouseEvent *event)
{
    handleRelease(event, this);
}

bool MediaPlayerWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded) {
        auto *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType()) {
            child->installEventFilter(this);
            watchChildren(child);
        }
    }
    if (!watched->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::MouseButtonPress)
        return handlePress(static_cast<QMouseEvent *>(event), w);
    if (event->type() == QEvent::MouseButtonRelease)
        return handleRelease(static_cast<QMouseEvent *>(event), w);
    return false;
}
