#include "cd/CdAudioStream.h"

#include "cd/DiscSource.h"
#include "cd/Tmsf.h"

#include <QMetaObject>
#include <cstring>

namespace {
// A fifth of a second per disc read keeps reads short; two seconds ahead
// rides over a drive's short stalls.
constexpr int SectorsPerRead = 15;
constexpr qsizetype MaxAhead = 150 * tmsf::BytesPerSector;
}

CdAudioStream::CdAudioStream(DiscSource *source, long from, long to, QObject *parent)
    : QIODevice(parent), m_source(source), m_from(from), m_to(to), m_readTo(from)
{
    // Unbuffered: a buffering QIODevice would read ahead of the output and
    // the handed-over count would run ahead of the music.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_reader = std::thread([this] { readAhead(); });
}

CdAudioStream::~CdAudioStream()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_reader.join();
}

void CdAudioStream::readAhead()
{
    QByteArray piece;
    for (;;) {
        long next = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] {
                return m_quit || m_failed || (m_readTo < m_to && m_ready.size() < MaxAhead);
            });
            if (m_quit || m_failed)
                return;
            next = m_readTo;
        }
        const int n = int(std::min<long>(SectorsPerRead, m_to - next));
        piece.resize(qsizetype(n) * tmsf::BytesPerSector);
        const bool ok = m_source->readAudio(next, n, piece.data());
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ok) {
            m_failed = true;
            return;
        }
        m_ready.append(piece);
        m_readTo = next + n;
    }
}

bool CdAudioStream::atEndLocked() const
{
    return m_ready.isEmpty() && (m_failed || m_readTo >= m_to);
}

bool CdAudioStream::atEnd() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return atEndLocked();
}

bool CdAudioStream::failed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}

qint64 CdAudioStream::bytesAvailable() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ready.size();
}

qint64 CdAudioStream::readData(char *data, qint64 maxSize)
{
    qint64 given = 0;
    bool ended = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        given = std::min<qint64>(maxSize, m_ready.size());
        std::memcpy(data, m_ready.constData(), size_t(given));
        m_ready.remove(0, qsizetype(given));
        ended = atEndLocked();
    }
    if (given > 0)
        m_wake.notify_one();
    m_handed += given;
    if (ended && !m_finishSent) {
        m_finishSent = true;
        // Queued, so that whoever reacts may stop the output that is calling us.
        QMetaObject::invokeMethod(this, &CdAudioStream::finished, Qt::QueuedConnection);
    }
    return given;
}
