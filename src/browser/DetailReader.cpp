#include "browser/DetailReader.h"

#include "core/WorkerPriority.h"

#include <QMetaObject>
#include <QRunnable>

DetailReader::DetailReader(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

DetailReader::~DetailReader()
{
    cancel();
    m_pool.waitForDone();   // the workers hand their parts to this object
}

void DetailReader::start(const QString &folder, const QStringList &names, const QList<QByteArray> &raw,
                         bool photoColumns)
{
    cancel();
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    const quint64 generation = m_generation;
    for (qsizetype from = 0; from < names.size(); from += PartSize) {
        const QStringList partNames = names.mid(from, PartSize);
        const QList<QByteArray> partRaw = raw.mid(from, PartSize);
        ++m_waiting;
        const int first = int(from);
        m_pool.start(QRunnable::create([this, folder, partNames, partRaw, generation, photoColumns, first,
                                         cancelled = m_cancelled] {
            if (*cancelled)
                return;
            // The window paints the names meanwhile: it goes first.
            lowerThisThread();
            const QVector<DetailRow> rows = readDetails(folder, partNames, partRaw, photoColumns);
            if (*cancelled)
                return;
            QMetaObject::invokeMethod(this, [this, generation, rows, first] { arrived(generation, rows, first); },
                                      Qt::QueuedConnection);
        }));
    }
}

void DetailReader::cancel()
{
    if (m_cancelled)
        *m_cancelled = true;
    m_pool.clear();
    ++m_generation;   // parts already on their way are dropped
    m_waiting = 0;
}

void DetailReader::arrived(quint64 generation, const QVector<DetailRow> &rows, int first)
{
    if (generation != m_generation)
        return;
    --m_waiting;
    emit rowsRead(rows, first);
    if (generation == m_generation && m_waiting == 0)
        emit finished();
}
