#pragma once
#include <QByteArray>
#include <QIODevice>
#include <condition_variable>
#include <memory>
#include <mutex>

class DiscSource;

// The audio between two disc positions. A reader thread of its own reads
// the disc up to two seconds ahead, so that a slow drive (spinning up,
// retrying a scratch) never holds up the window; the output takes what is
// ready. Stopping never waits for the drive either: a stream that goes
// leaves a read in progress to finish on its own, into nothing. The position is what has been handed to the output, in sectors:
// the output's own clock is not reliable enough on every backend.
class CdAudioStream : public QIODevice
{
    Q_OBJECT
public:
    CdAudioStream(std::shared_ptr<DiscSource> source, long from, long to, QObject *parent = nullptr);
    ~CdAudioStream() override;   // returns at once, even during a disc read

    long position() const { return m_from + long(m_handed / 2352); }
    qint64 bytesHanded() const { return m_handed; }
    long end() const { return m_to; }
    bool failed() const;

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    // What can be read now without waiting for the disc.
    qint64 bytesAvailable() const override;

signals:
    // Queued: the last byte has been handed over, or the disc failed.
    void finished();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Shared with the reader thread, which keeps it (and the source) for as
    // long as it runs.
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        QByteArray ready;       // read from the disc, not yet handed over
        long readTo = 0;        // next sector the reader reads
        bool failed = false;
        bool quit = false;
        bool atEnd(long to) const { return ready.isEmpty() && (failed || readTo >= to); }
    };
    static void readAhead(Shared &shared, DiscSource &source, long to);

    const long m_from;
    const long m_to;
    const std::shared_ptr<Shared> m_shared;

    // The owning thread's alone.
    qint64 m_handed = 0;
    bool m_finishSent = false;
};
