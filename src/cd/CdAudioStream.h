#pragma once
#include <QByteArray>
#include <QIODevice>
#include <condition_variable>
#include <mutex>
#include <thread>

class DiscSource;

// The audio between two disc positions. A reader thread of its own reads
// the disc up to two seconds ahead, so that a slow drive (spinning up,
// retrying a scratch) never holds up the window; the output takes what is
// ready. The position is what has been handed to the output, in sectors:
// the output's own clock is not reliable enough on every backend.
class CdAudioStream : public QIODevice
{
    Q_OBJECT
public:
    CdAudioStream(DiscSource *source, long from, long to, QObject *parent = nullptr);
    ~CdAudioStream() override;   // waits for a disc read in progress

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
    void readAhead();
    bool atEndLocked() const;

    DiscSource *m_source;
    const long m_from;
    const long m_to;

    // Shared with the reader thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    QByteArray m_ready;       // read from the disc, not yet handed over
    long m_readTo;            // next sector the reader reads
    bool m_failed = false;
    bool m_quit = false;

    // The owning thread's alone.
    qint64 m_handed = 0;
    bool m_finishSent = false;
    std::thread m_reader;
};
