#pragma once
#include <QByteArray>
#include <QIODevice>

class DiscSource;

// The audio between two disc positions, handed out as the output asks.
// The position is what has been handed over, in sectors: the output's own
// clock is not reliable enough on every backend.
class CdAudioStream : public QIODevice
{
    Q_OBJECT
public:
    CdAudioStream(DiscSource *source, long from, long to, QObject *parent = nullptr);

    long position() const { return m_from + long(m_handed / 2352); }
    qint64 bytesHanded() const { return m_handed; }
    long end() const { return m_to; }
    bool failed() const { return m_failed; }

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesAvailable() const override;

signals:
    // Queued: the last byte has been handed over, or the disc failed.
    void finished();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    void finish();

    DiscSource *m_source;
    long m_from;
    long m_to;
    long m_next;              // next sector to read from the disc
    QByteArray m_pending;     // read but not yet handed over
    qint64 m_handed = 0;
    bool m_failed = false;
    bool m_finishSent = false;
};
