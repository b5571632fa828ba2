#include "cd/QtAudioOutput.h"

#include "cd/Tmsf.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace {
constexpr int FeedMs = 20;
constexpr int BufferUs = 200000;
}

QtAudioOutput::QtAudioOutput(QObject *parent) : AudioOutput(parent)
{
    m_feed.setInterval(FeedMs);
    connect(&m_feed, &QTimer::timeout, this, &QtAudioOutput::feed);
}

QtAudioOutput::~QtAudioOutput()
{
    stop();
}

bool QtAudioOutput::start(QIODevice *source, QString &error)
{
    stop();
    QAudioFormat format;
    format.setSampleRate(tmsf::SampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        error = QStringLiteral("no sound output device");
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    // A short buffer keeps the handed-over count close to what is heard,
    // and asks the server for a matching latency.
    m_sink->setBufferSize(format.bytesForDuration(BufferUs));
    m_device = m_sink->start();
    if (!m_device || m_sink->error() == QAudio::OpenError || m_sink->state() == QAudio::StoppedState) {
        error = QStringLiteral("the sound output could not be opened");
        m_sink.reset();
        m_device = nullptr;
        return false;
    }
    m_source = source;
    m_drain.invalidate();
    m_feed.start();
    feed();
    return true;
}

void QtAudioOutput::feed()
{
    if (!m_sink || m_sink->state() == QAudio::SuspendedState)
        return;
    if (m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        stop();
        emit lost();
        return;
    }
    qint64 room = m_sink->bytesFree() & ~qint64(3);   // whole stereo frames only
    if (!m_unwritten.isEmpty() && room > 0) {
        const qint64 n = m_device->write(m_unwritten.left(qsizetype(room)));
        m_unwritten.remove(0, qsizetype(std::max<qint64>(n, 0)));
        room -= std::max<qint64>(n, 0);
    }
    if (m_unwritten.isEmpty() && room > 0) {
        const QByteArray chunk = m_source->read(room);
        const qint64 n = chunk.isEmpty() ? 0 : m_device->write(chunk);
        if (n < chunk.size())
            m_unwritten = chunk.mid(qsizetype(std::max<qint64>(n, 0)));
    }
    // Once all is handed over, let the buffer play out, then let go.
    if (m_unwritten.isEmpty() && m_source->atEnd()) {
        if (!m_drain.isValid())
            m_drain.start();
        else if (m_drain.elapsed() > BufferUs / 1000 + 300)
            stop();
    }
}

void QtAudioOutput::suspend()
{
    if (m_sink)
        m_sink->suspend();
}

void QtAudioOutput::resume()
{
    if (m_sink)
        m_sink->resume();
}

void QtAudioOutput::stop()
{
    m_feed.stop();
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_device = nullptr;
    m_source = nullptr;
    m_unwritten.clear();
}
