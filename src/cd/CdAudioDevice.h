#pragma once
#include "cd/AudioOutput.h"
#include "cd/DiscSource.h"

#include <QObject>
#include <memory>
#include <optional>

class CdAudioStream;

// One open CD audio device: the state the command strings act on (mode,
// position, time format) over a disc source, playing through an output.
// Positions are disc sectors from the start of the first track.
class CdAudioDevice : public QObject
{
    Q_OBJECT
public:
    enum class TimeFormat { Tmsf, Msf, Milliseconds };
    enum class Mode { NotReady, Open, Stopped, Playing, Paused };

    CdAudioDevice(std::shared_ptr<DiscSource> source, std::unique_ptr<AudioOutput> output,
                  QObject *parent = nullptr);
    ~CdAudioDevice() override;

    // Each returns an mci::Error code.
    uint32_t play(std::optional<long> from, std::optional<long> to);
    uint32_t pause();
    uint32_t resume();
    uint32_t stop();
    uint32_t seek(long sector);
    uint32_t setDoor(bool open);

    // Looks at the drive; a changed disc stops play and starts at track 1.
    bool mediaPresent();
    Mode mode();
    long position();
    const Toc &toc() const { return m_source->toc(); }
    int trackAt(long sector) const;        // 0 with no disc
    long trackStart(int track) const;
    long trackLength(int track) const;
    // The end of the last audio track: where play stops unless told.
    long playableEnd() const;

    TimeFormat timeFormat() const { return m_format; }
    void setTimeFormat(TimeFormat f) { m_format = f; }

    // A time value of a command in the current format, as a disc sector.
    // error is set (and nullopt returned) for text that does not read or
    // lies outside the disc.
    std::optional<long> parsePosition(const QString &text, uint32_t &error) const;
    // A position or a length written in the current format.
    QString positionText(long sector) const;
    QString lengthText(long sectors) const;

    DiscSource *source() const { return m_source.get(); }
    // The stream being played, for tests that count what the output took.
    CdAudioStream *stream() const { return m_stream.get(); }

private:
    void endPlay();
    void streamFinished();

    std::shared_ptr<DiscSource> m_source;
    std::unique_ptr<AudioOutput> m_output;
    std::unique_ptr<CdAudioStream> m_stream;
    TimeFormat m_format = TimeFormat::Msf;
    Mode m_mode = Mode::Stopped;   // Playing or Paused only while m_stream lives;
                                   // a finished stream stays until the next command
    long m_position = 0;
    quint64 m_serial = 0;
};
