#include "QtAudioOutput.h"

#include "Tmsf.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

QtAudioOutput::QtAudioOutput(QObject *parent) : AudioOutput(parent) {}

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
    // and asks the server for a matching latency (a null sink otherwise
    // takes its audio in two-second gulps).
    m_sink->setBufferSize(format.bytesForDuration(200000));
    m_source = source;
    // When the source has given its last byte the sink falls idle: the
    // music has been played out, so let go of the device.
    connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State s) {
        if (s == QAudio::IdleState && m_source && m_source->atEnd())
            m_sink->stop();
    });
    m_sink->start(source);
    if (m_sink->error() == QAudio::OpenError || m_sink->state() == QAudio::StoppedState) {
        error = QStringLiteral("the sound output could not be opened");
        m_sink.reset();
        m_source = nullptr;
        return false;
    }
    return true;
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
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
    m_source = nullptr;
}
