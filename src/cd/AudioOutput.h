#pragma once
#include <QObject>
#include <QString>

class QIODevice;

// Where the CD device sends its audio: 44.1 kHz, 16-bit, stereo, pulled
// from a source device. The real one is QtAudioOutput; tests may pull by hand.
class AudioOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AudioOutput() override = default;

    // Starts pulling from source; false with a reason when nothing can play.
    virtual bool start(QIODevice *source, QString &error) = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Stops at once and lets go of the source.
    virtual void stop() = 0;

signals:
    // The output died while playing (the sound server went away); it has
    // let go of the source.
    void lost();
};
