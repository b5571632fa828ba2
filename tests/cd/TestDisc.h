#pragma once
#include "cd/AudioOutput.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVector>
#include <memory>

// Builds a CUE/BIN image with sox: one sine tone per track, each track the
// given number of sectors. Returns the cue path, or empty (with a QWARN)
// when sox fails. The tracks' frequencies are 441 * (track number) Hz.
QString buildTestDisc(const QString &folder, const QString &name, const QVector<long> &sectors);

// The bytes of sectors [from, from + count) of a built image's bin file.
QByteArray binSectors(const QString &cuePath, long from, long count);

// An output that plays nothing by itself: the test pulls the audio, as a
// sound card would, and so decides how much time has passed.
class PulledOutput : public AudioOutput
{
    Q_OBJECT
public:
    bool start(QIODevice *source, QString &error) override;
    void suspend() override { suspended = true; }
    void resume() override { suspended = false; }
    void stop() override { source = nullptr; }

    // Takes up to the given number of sectors' worth of audio, as a
    // running output would in that time; nothing while suspended.
    QByteArray pull(long sectors);

    QIODevice *source = nullptr;
    bool suspended = false;
};

// The interpreter's output factory hands each device one of these; the
// test keeps the latest.
struct PulledOutputs {
    PulledOutput *latest = nullptr;
    std::unique_ptr<AudioOutput> make();
};
