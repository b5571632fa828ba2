#pragma once
#include "AudioOutput.h"

#include <memory>

class QAudioSink;

// Plays through QAudioSink on the default output (PulseAudio on Linux).
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
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice *m_source = nullptr;
};
