#include "viewer/ThumbnailBuilder.h"

#include "core/WorkerPriority.h"

#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "core/RawPath.h"
#include "viewer/StockIcons.h"
#include "viewer/ThumbnailCache.h"

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

// The view's square from a cached thumbnail: fitted as the decoder would
// fit the picture itself (by the picture's own proportions when known).
QImage fromCached(const QImage &cached, const QSize &sourceSize, int edge)
{
    const QSize want = PictureLoader::fitInside(sourceSize.isEmpty() ? cached.size() : sourceSize, edge);
    QImage fitted = cached.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (fitted.size() != want)
        fitted = fitted.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return PictureLoader::squareThumbnail(fitted, edge);
}

// The view's square for a picture file, or a null image when it cannot be read.
QImage decodedSquare(const QByteArray &path, int edge)
{
    const OpenedPath file(path);
    const LoadedPicture picture = PictureLoader::loadThumbnail(file.path(), edge);
    return picture.ok() ? PictureLoader::squareThumbnail(picture.image, edge) : QImage();
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
    // Each stock picture drawn and packed once per build, here: its entries
    // all share it.
    QHash<int, PackedImage> stock;
    for (int number = 1; number <= StockIcons::Count; ++number)
        stock.insert(number, PackedImage(StockIcons::icon(number, edge)));
    for (int i = 0; i < entries.size(); ++i) {
        const ThumbnailEntry &entry = entries.at(i);
        if (entry.stockIcon > 0) {
            m_done.insert(i, stock.value(entry.stockIcon));
            continue;
        }
        // Opened through the name's bytes: a Latin-1 name has no text that
        // reaches it, and no URI the shared cache could file it under.
        const QByteArray raw = RawPath::join(base, entry.raw.isEmpty() ? RawPath::fromText(entry.name) : entry.raw);
        if (entry.stockIcon == ThumbnailEntry::LookInside) {
            startLookInside(m_build, m_generation, i, raw, edge, stock);
            continue;
        }
        const int bucket = m_cache ? ThumbnailCache::bucketEdge(edge) : 0;
        const QString path = RawPath::display(raw);
        if (bucket > 0 && RawPath::isFaithful(raw) && !m_cache->covers(path))
            startCached(m_build, m_generation, i, path, edge, bucket);
        else
            startDecode(m_build, m_generation, i, raw, edge);
    }
    scheduleDelivery();
}

void ThumbnailBuilder::startDecode(std::shared_ptr<Build> build, quint64 generation, int index,
                                   const QByteArray &path, int edge)
{
    m_pool.start(QRunnable::create([this, build, generation, index, path, edge] {
        if (build->cancelled)
            return;
        lowerThisThread();
        const PackedImage square(decodedSquare(path, edge));
        if (!build->cancelled)
            hand(generation, index, square);
    }));
}

void ThumbnailBuilder::startLookInside(std::shared_ptr<Build> build, quint64 generation, int index,
                                       const QByteArray &path, int edge, const QHash<int, PackedImage> &stock)
{
    const QString name = m_entries.at(index).name;
    const Classifier classify = m_classify;
    m_pool.start(QRunnable::create([this, build, generation, index, path, edge, stock, name, classify] {
        if (build->cancelled)
            return;
        lowerThisThread();
        const int source = classify ? classify(name, OpenedPath(path).path()) : 1;
        const PackedImage square = source == 0 ? PackedImage(decodedSquare(path, edge))
                                               : stock.value(source, stock.value(1));
        if (!build->cancelled)
            hand(generation, index, square);
    }));
}

void ThumbnailBuilder::startCached(std::shared_ptr<Build> build, quint64 generation, int index,
                                   const QString &path, int edge, int bucket)
{
    std::shared_ptr<const ThumbnailCache> cache = m_cache;
    auto decode = [this, build, generation, index, path, edge, bucket, cache] {
        if (build->cancelled)
            return;
        lowerThisThread();
        const LoadedPicture picture = cache->make(path, bucket);
        if (!build->cancelled)
            hand(generation, index,
                 PackedImage(picture.ok() ? fromCached(picture.image, picture.sourceSize, edge) : QImage()));
    };
    // One task per entry, looking up and then decoding what is missing, so
    // that entries finish in list order: they are shown in that order, and
    // an early entry whose decode was queued behind the others' would keep
    // the whole grid blank until the end.
    m_pool.start(QRunnable::create([this, build, generation, index, path, edge, bucket, cache, decode] {
        if (build->cancelled)
            return;
        const ThumbnailCache::Entry entry = cache->find(path, bucket);
        if (entry.state == ThumbnailCache::State::Missing) {
            decode();
            return;
        }
        PackedImage square;
        if (entry.state == ThumbnailCache::State::Ready)
            square = PackedImage(fromCached(entry.image, entry.sourceSize, edge));
        if (!build->cancelled)
            hand(generation, index, square);
    }));
}

void ThumbnailBuilder::hand(quint64 generation, int index, const PackedImage &square)
{
    // The builder waits for its pool before it goes, so 'this' is alive.
    QMetaObject::invokeMethod(this, [this, generation, index, square] { decoded(generation, index, square); },
                              Qt::QueuedConnection);
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

void ThumbnailBuilder::decoded(quint64 generation, int index, const PackedImage &thumbnail)
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
        const PackedImage thumbnail = it.value();
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
