#include "ThumbnailBuilder.h"

#include "PictureLimits.h"
#include "PictureLoader.h"
#include "RawPath.h"
#include "StockIcons.h"

#include <QDir>
#include <QMetaObject>
#include <QRunnable>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// The user-interface thread hands over items for at most this long in one
// go, so that a folder of thousands of non-pictures cannot stall it.
constexpr qint64 DeliverySliceMs = 10;

// Decoding threads yield to the user-interface thread: on a machine with few
// cores the window would otherwise wait behind them.
void lowerThisThread()
{
#ifdef Q_OS_LINUX
    thread_local bool lowered = false;
    if (!lowered) {
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
        lowered = true;
    }
#endif
}

} // namespace

ThumbnailBuilder::ThumbnailBuilder(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

ThumbnailBuilder::~ThumbnailBuilder()
{
    cancel();
    m_pool.waitForDone();
}

void ThumbnailBuilder::start(const QString &folder, const QList<ThumbnailEntry> &entries, int thumbSize)
{
    cancel();
    PictureLimits::applyToImageReader();   // before any decoder thread reads it
    ++m_generation;
    m_build = std::make_shared<Build>();
    m_entries = entries;
    m_done.clear();
    m_next = 0;
    m_running = true;

    const int edge = std::max(1, thumbSize);
    const QByteArray base = RawPath::fromText(folder);
    QHash<int, QImage> stock;   // each stock picture drawn once per build
    for (int i = 0; i < entries.size(); ++i) {
        const ThumbnailEntry &entry = entries.at(i);
        if (entry.stockIcon != 0) {
            auto it = stock.find(entry.stockIcon);
            if (it == stock.end())
                it = stock.insert(entry.stockIcon, StockIcons::icon(entry.stockIcon, edge));
            m_done.insert(i, it.value());
            continue;
        }
        // Opened through the name's bytes: a Latin-1 name has no text that reaches it.
        const QByteArray path = RawPath::join(base, entry.raw.isEmpty() ? RawPath::fromText(entry.name) : entry.raw);
        const quint64 generation = m_generation;
        std::shared_ptr<Build> build = m_build;
        m_pool.start(QRunnable::create([this, build, generation, i, path, edge] {
            if (build->cancelled)
                return;
            lowerThisThread();
            QImage square;
            const OpenedPath file(path);
            const LoadedPicture picture = PictureLoader::loadThumbnail(file.path(), edge);
            if (picture.ok())
                square = PictureLoader::squareThumbnail(picture.image, edge);
            if (build->cancelled)
                return;
            // The builder waits for its pool before it goes, so 'this' is alive.
            QMetaObject::invokeMethod(this, [this, generation, i, square] { decoded(generation, i, square); },
                                      Qt::QueuedConnection);
        }));
    }
    scheduleDelivery();
}

void ThumbnailBuilder::cancel()
{
    if (m_build)
        m_build->cancelled = true;
    m_pool.clear();
    ++m_generation;   // deliveries already queued are dropped
    m_running = false;
    m_done.clear();
    m_entries.clear();
    m_next = 0;
}

void ThumbnailBuilder::decoded(quint64 generation, int index, const QImage &thumbnail)
{
    if (generation != m_generation || !m_running)
        return;
    m_done.insert(index, thumbnail);
    if (index == m_next)
        scheduleDelivery();
}

void ThumbnailBuilder::scheduleDelivery()
{
    if (m_deliveryQueued)
        return;
    m_deliveryQueued = true;
    QMetaObject::invokeMethod(this, [this] {
        m_deliveryQueued = false;
        deliver();
    }, Qt::QueuedConnection);
}

void ThumbnailBuilder::deliver()
{
    QElapsedTimer slice;
    slice.start();
    const quint64 generation = m_generation;
    const int count = int(m_entries.size());
    while (m_running && m_next < count) {
        auto it = m_done.find(m_next);
        if (it == m_done.end())
            return;   // waiting for the decoder
        const QImage thumbnail = it.value();
        m_done.erase(it);
        const int index = m_next++;
        if (!thumbnail.isNull())
            emit itemReady(index, m_entries.at(index).name, thumbnail);
        // A receiver may have cancelled or restarted the build.
        if (generation != m_generation)
            return;
        emit progress(index, count);
        if (generation != m_generation)
            return;
        if (slice.elapsed() >= DeliverySliceMs && m_next < count) {
            scheduleDelivery();
            return;
        }
    }
    if (m_running && m_next >= count) {
        m_running = false;
        emit finished();
    }
}
