#pragma once
#include "cd/AudioOutput.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

class QAudioSink;

// Plays through QAudioSink on the default output (PulseAudio on Linux).
// We push the audio on a timer of our own rather than let the sink pull
// it: a pulling sink that once finds nothing ready stops asking.
class QtAudioOutput : public AudioOutput
{
    Q_OBJECT
public:
    explicit QtAudioOutput(QObject *parent = nullptr);
    ~QtAudioOutput() override;

    bool start(QIODevice *source, QString &error) override;
    void suspend() override;
    void resume() override;
    void stop() override;

private:
    void feed();

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_device = nullptr;   // the sink's input
    QIODevice *m_source = nullptr;
    QByteArray m_unwritten;          // taken from the source, refused by the sink
    QTimer m_feed;
    QElapsedTimer m_drain;           // runs once the source has given its last byte
};
