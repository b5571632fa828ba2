#pragma once
#include "browser/PackedImage.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

class ThumbnailCache;

// One file of the thumbnail view: its name and what its thumbnail shows.
struct ThumbnailEntry {
    // Not known by name: the builder's classifier looks into the file.
    static constexpr int LookInside = -1;
    QString name;
    int stockIcon = 0;   // 0: the picture itself; 1..6: that stock picture; or LookInside
    QByteArray raw;      // the name's bytes; empty: the name's own encoding
};

// Builds the thumbnails of a folder without blocking the window: pictures are
// decoded in a thread pool (JPEG shrinks while decoding) and handed to the
// user-interface thread strictly in list order as they complete. A picture
// that cannot be loaded gets no item, but still counts in the progress.
class ThumbnailBuilder : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailBuilder(QObject *parent = nullptr);
    ~ThumbnailBuilder() override;

    // Takes thumbnails from the shared cache before decoding anything, and
    // records what it decodes there; without a cache every picture is
    // decoded. Applies from the next start.
    void setCache(std::shared_ptr<const ThumbnailCache> cache) { m_cache = std::move(cache); }

    // What a LookInside entry shows (0 the picture, else a stock picture),
    // from its name and the path that opens it. Runs on the pool, as it may
    // read the file. Without one such an entry gets the "other" picture.
    using Classifier = std::function<int(const QString &name, const QString &path)>;
    void setClassifier(Classifier classify) { m_classify = std::move(classify); }

    // Starts a build, cancelling any running one. The folder may end in "/"
    // or not; names are in list order. Signals follow from the event loop.
    void start(const QString &folder, const QList<ThumbnailEntry> &entries, int thumbSize);

    // Stops the running build: nothing of it is delivered after this returns.
    void cancel();

    bool isRunning() const { return m_running; }
    // The entry of the running build (for a receiver of itemReady).
    ThumbnailEntry entry(int index) const { return m_entries.value(index); }

signals:
    // A thumbnail for entry index: a thumbSize x thumbSize square with the
    // picture centred, its aspect ratio kept, the rest transparent; packed
    // on the workers, as a view of thousands keeps it.
    void itemReady(int index, const QString &name, const PackedImage &thumbnail);
    // Entry index (from 0) is done, with or without an item; count entries.
    void progress(int index, int count);
    // The last entry is done (not sent for a cancelled build).
    void finished();

private:
    struct Build {
        std::atomic_bool cancelled{false};
    };

    void decoded(quint64 generation, int index, const PackedImage &thumbnail);
    void deliver();
    void scheduleDelivery();

    void startDecode(std::shared_ptr<Build> build, quint64 generation, int index, const QByteArray &path,
                     int edge);
    void startLookInside(std::shared_ptr<Build> build, quint64 generation, int index, const QByteArray &path,
                         int edge, const QHash<int, PackedImage> &stock);
    void startCached(std::shared_ptr<Build> build, quint64 generation, int index, const QString &path,
                     int edge, int bucket);
    void hand(quint64 generation, int index, const PackedImage &square);

    QThreadPool m_pool;
    std::shared_ptr<const ThumbnailCache> m_cache;
    Classifier m_classify;
    std::shared_ptr<Build> m_build;
    quint64 m_generation = 0;
    bool m_running = false;
    bool m_deliveryQueued = false;
    QList<ThumbnailEntry> m_entries;
    QHash<int, PackedImage> m_done;   // finished entries not yet delivered
    int m_next = 0;
};
