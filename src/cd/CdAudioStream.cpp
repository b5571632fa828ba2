#include "CdAudioStream.h"

#include "DiscSource.h"
#include "Tmsf.h"

#include <QMetaObject>
#include <cstring>

namespace {
// A fifth of a second per disc read keeps reads short and calls few.
constexpr int SectorsPerRead = 15;
}

CdAudioStream::CdAudioStream(DiscSource *source, long from, long to, QObject *parent)
    : QIODevice(parent), m_source(source), m_from(from), m_to(to), m_next(from)
{
    // Unbuffered: a buffering QIODevice would read ahead of the output and
    // the handed-over count would run ahead of the music.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool CdAudioStream::atEnd() const
{
    return m_failed || (m_next >= m_to && m_pending.isEmpty());
}

qint64 CdAudioStream::bytesAvailable() const
{
    if (m_failed)
        return 0;
    return m_pending.size() + qint64(m_to - m_next) * tmsf::BytesPerSector;
}

void CdAudioStream::finish()
{
    if (m_finishSent)
        return;
    m_finishSent = true;
    // Queued, so that whoever reacts may stop the output that is calling us.
    QMetaObject::invokeMethod(this, &CdAudioStream::finished, Qt::QueuedConnection);
}

qint64 CdAudioStream::readData(char *data, qint64 maxSize)
{
    qint64 given = 0;
    while (given < maxSize && !m_failed) {
        if (m_pending.isEmpty()) {
            if (m_next >= m_to)
                break;
            const int n = int(std::min<long>(SectorsPerRead, m_to - m_next));
            m_pending.resize(qsizetype(n) * tmsf::BytesPerSector);
            if (!m_source->readAudio(m_next, n, m_pending.data())) {
                m_pending.clear();
                m_failed = true;
                break;
            }
            m_next += n;
        }
        const qint64 take = std::min<qint64>(maxSize - given, m_pending.size());
        std::memcpy(data + given, m_pending.constData(), size_t(take));
        m_pending.remove(0, qsizetype(take));
        given += take;
    }
    m_handed += given;
    if (atEnd())
        finish();
    return given;
}
