#include "viewer/AnimationPlayer.h"

#include "viewer/AnimationReader.h"
#include "viewer/ScaleRule.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QtConcurrent>

// The reader, made on the worker: finding out whether a file is animated
// may mean reading all of it.
struct AnimationPlayer::Source {
    QString path;
    std::unique_ptr<AnimationReader> reader;
};

struct AnimationPlayer::Decoded {
    quint64 generation = 0;
    bool ok = false;
    bool animated = true;
    QImage image;
    int index = 0;
    int play = 0;
    int delayMs = 0;
    int readerHeld = 0;
};

AnimationPlayer::AnimationPlayer(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_due = true;
        showAhead();
    });
}

AnimationPlayer::~AnimationPlayer()
{
    stop();
}

void AnimationPlayer::start(const QString &path, const SizeRule &rule, const QColor &background)
{
    stop();
    m_source = std::make_shared<Source>();
    m_source->path = path;
    m_rule = rule;
    m_background = background;
    m_playing = true;
    m_mostHeld = 0;
    // The first frame is on the screen already; its delay runs from now.
    m_due = false;
    decodeNext();
}

void AnimationPlayer::stop()
{
    ++m_generation;
    m_timer.stop();
    m_playing = m_paused = m_decoding = m_due = m_haveAhead = m_ended = false;
    m_ahead = QImage();
    // A worker may still hold the reader; it goes with the last holder.
    m_source.reset();
}

void AnimationPlayer::setPaused(bool paused)
{
    if (!m_playing || paused == m_paused)
        return;
    m_paused = paused;
    if (paused) {
        m_timer.stop();
        m_due = false;
    } else {
        // The frame shown gets its whole delay again.
        m_timer.start(m_shownDelay);
    }
}

void AnimationPlayer::decodeNext()
{
    m_decoding = true;
    auto source = m_source;
    const SizeRule rule = m_rule;
    const QColor background = m_background;
    const quint64 generation = m_generation;
    auto *watcher = new QFutureWatcher<Decoded>(this);
    connect(watcher, &QFutureWatcher<Decoded>::finished, this, [this, watcher] {
        watcher->deleteLater();
        arrived(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([source, rule, background, generation] {
        if (!source->reader)
            source->reader = std::make_unique<AnimationReader>(source->path);
        AnimationReader *reader = source->reader.get();
        Decoded d;
        d.generation = generation;
        d.animated = reader->isAnimated();
        AnimationReader::Frame frame;
        if (!d.animated || !reader->next(&frame))
            return d;
        const QSize size = rule ? rule(frame.image.size()) : frame.image.size();
        const QImage scaled = size == frame.image.size() ? frame.image : ScaleRule::resample(frame.image, size);
        d.image = QImage(scaled.size(), QImage::Format_RGB32);
        d.image.fill(background);
        QPainter(&d.image).drawImage(0, 0, scaled);
        d.ok = true;
        d.index = reader->frameIndex();
        d.play = reader->play();
        d.delayMs = frame.delayMs;
        d.readerHeld = reader->picturesHeld();
        return d;
    }));
}

void AnimationPlayer::arrived(const Decoded &decoded)
{
    if (decoded.generation != m_generation)
        return;
    m_decoding = false;
    if (!decoded.ok) {
        m_ended = true;
        if (!decoded.animated)
            m_playing = false;
        showAhead();
        return;
    }
    const bool first = decoded.index == 0 && decoded.play == 0;
    if (first) {
        // The frame on the screen: only its delay was wanted.
        m_shownDelay = decoded.delayMs;
        m_mostHeld = std::max(m_mostHeld, decoded.readerHeld);
        if (!m_paused)
            m_timer.start(decoded.delayMs);
        decodeNext();
        return;
    }
    m_ahead = decoded.image;
    m_aheadIndex = decoded.index;
    m_aheadPlay = decoded.play;
    // Its delay starts when it is shown.
    m_aheadDelay = decoded.delayMs;
    m_haveAhead = true;
    m_mostHeld = std::max(m_mostHeld, decoded.readerHeld + 1);
    showAhead();
}

void AnimationPlayer::showAhead()
{
    if (!m_due || m_paused)
        return;
    if (m_haveAhead) {
        m_due = false;
        m_haveAhead = false;
        const QImage frame = std::exchange(m_ahead, QImage());
        m_shownDelay = m_aheadDelay;
        emit frameShown(frame, m_aheadIndex, m_aheadPlay);
        if (!m_playing)
            return;   // stopped by whoever took the frame
        m_timer.start(m_shownDelay);
        decodeNext();
    } else if (m_ended && !m_decoding) {
        m_playing = false;
        emit finished();
    }
}
