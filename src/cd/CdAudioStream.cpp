#include "cd/CdAudioStream.h"

#include "cd/DiscSource.h"
#include "cd/Tmsf.h"

#include <QMetaObject>
#include <cstring>
#include <thread>

namespace {
// A fifth of a second per disc read keeps reads short; two seconds ahead
// rides over a drive's short stalls.
constexpr int SectorsPerRead = 15;
constexpr qsizetype MaxAhead = 150 * tmsf::BytesPerSector;
}

CdAudioStream::CdAudioStream(std::shared_ptr<DiscSource> source, long from, long to, QObject *parent)
    : QIODevice(parent), m_from(from), m_to(to), m_shared(std::make_shared<Shared>())
{
    m_shared->readTo = from;
    // Unbuffered: a buffering QIODevice would read ahead of the output and
    // the handed-over count would run ahead of the music.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    std::thread([shared = m_shared, source = std::move(source), to] { readAhead(*shared, *source, to); }).detach();
}

CdAudioStream::~CdAudioStream()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->quit = true;
    }
    m_shared->wake.notify_all();
}

void CdAudioStream::readAhead(Shared &shared, DiscSource &source, long to)
{
    QByteArray piece;
    for (;;) {
        long next = 0;
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            shared.wake.wait(lock, [&] {
                return shared.quit || shared.failed || (shared.readTo < to && shared.ready.size() < MaxAhead);
            });
            if (shared.quit || shared.failed)
                return;
            next = shared.readTo;
        }
        const int n = int(std::min<long>(SectorsPerRead, to - next));
        piece.resize(qsizetype(n) * tmsf::BytesPerSector);
        const bool ok = source.readAudio(next, n, piece.data());
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.quit)
            return;
        if (!ok) {
            shared.failed = true;
            return;
        }
        shared.ready.append(piece);
        shared.readTo = next + n;
    }
}

bool CdAudioStream::atEnd() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->atEnd(m_to);
}

bool CdAudioStream::failed() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->failed;
}

qint64 CdAudioStream::bytesAvailable() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->ready.size();
}

qint64 CdAudioStream::readData(char *data, qint64 maxSize)
{
    qint64 given = 0;
    bool ended = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        QByteArray &ready = m_shared->ready;
        given = std::min<qint64>(maxSize, ready.size());
        std::memcpy(data, ready.constData(), size_t(given));
        ready.remove(0, qsizetype(given));
        ended = m_shared->atEnd(m_to);
    }
    if (given > 0)
        m_shared->wake.notify_one();
    m_handed += given;
    if (ended && !m_finishSent) {
        m_finishSent = true;
        // Queued, so that whoever reacts may stop the output that is calling us.
        QMetaObject::invokeMethod(this, &CdAudioStream::finished, Qt::QueuedConnection);
    }
    return given;
}
