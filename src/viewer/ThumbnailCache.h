#pragma once
#include "viewer/PictureLoader.h"

#include <QImage>
#include <QSize>
#include <QString>

// The desktop's shared thumbnail cache ($XDG_CACHE_HOME/thumbnails), read
// and written the way file managers do it: one PNG per file and size,
// named by the MD5 of the file's URI, carrying the URI and the file's
// modification time so that a changed file is noticed. Thumbnails other
// programs made are taken as they are, and ours serve them in turn.
// Immutable once made: workers may share one.
class ThumbnailCache {
public:
    // root: the thumbnails folder itself.
    explicit ThumbnailCache(const QString &root);

    // $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails.
    static QString standardRoot();

    // The edge of the size folder a view of thumbSize pixels reads from
    // (128 normal, 256 large, 512 x-large, 1024 xx-large), 0 when no folder
    // is large enough.
    static int bucketEdge(int thumbSize);
    static QString bucketFolder(int edge);

    // file:///... with the path made absolute and percent-encoded.
    static QString uriOf(const QString &path);
    // MD5 of the URI in lower-case hex, plus ".png".
    static QString entryName(const QString &uri);

    QString root() const { return m_root; }
    QString entryPath(const QString &path, int edge) const;
    QString failPath(const QString &path) const;
    // The folder failures are recorded in: fail/glintwave-<version>.
    QString failFolder() const;

    // Pictures inside the cache are thumbnails already: never cached.
    bool covers(const QString &path) const;

    enum class State { Missing, Ready, Failed };
    struct Entry {
        State state = State::Missing;
        QImage image;       // Ready: the thumbnail as stored
        QSize sourceSize;   // Ready: the picture's own size when recorded
    };

    // The fresh entry for path at the bucket edge: its URI and MTime (and
    // Size, when recorded) must match the file. A failure recorded for the
    // file as it is now gives Failed.
    Entry find(const QString &path, int edge) const;

    // Writes the thumbnail (fitted inside edge x edge) atomically, mode 0600.
    bool store(const QString &path, int edge, const QImage &thumbnail, const QSize &sourceSize) const;
    // Records that path cannot be decoded, so that it is not tried again
    // until it changes.
    bool storeFailure(const QString &path) const;
    // Decodes path for the entry at edge and stores it, or records the
    // failure. The picture stored is fitted inside edge; a smaller one is
    // kept at its own size, not enlarged, as other thumbnailers keep it.
    LoadedPicture make(const QString &path, int edge) const;

private:
    QString m_root;
};
