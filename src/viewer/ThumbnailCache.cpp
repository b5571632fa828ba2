#include "viewer/ThumbnailCache.h"

#include "core/version.h"
#include "viewer/EmbeddedProfile.h"
#include "viewer/PictureLoader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QtEndian>

#include <algorithm>

namespace {

const QString KeyUri = QStringLiteral("Thumb::URI");
const QString KeyMTime = QStringLiteral("Thumb::MTime");
const QString KeySize = QStringLiteral("Thumb::Size");
const QString KeyWidth = QStringLiteral("Thumb::Image::Width");
const QString KeyHeight = QStringLiteral("Thumb::Image::Height");
const QString KeySoftware = QStringLiteral("Software");

constexpr QFileDevice::Permissions OwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The cache holds thumbnails of private pictures: its folders are the
// user's alone, as other thumbnailers make them.
bool makeFolder(const QString &path)
{
    QDir dir(path);
    if (dir.exists())
        return true;
    const QString parent = QFileInfo(dir.absolutePath()).absolutePath();
    if (!makeFolder(parent))
        return false;
    return QDir(parent).mkdir(QFileInfo(path).fileName(), OwnerOnlyFolder) || dir.exists();
}

struct FileStamp {
    bool ok = false;
    qint64 mtime = 0;
    qint64 size = 0;
};

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return {true, info.lastModified().toSecsSinceEpoch(), info.size()};
}

using Keys = QHash<QString, QString>;

// Whether an entry's keys describe the file as it is now. Size is optional
// in the standard; when present it must agree too.
bool describes(const Keys &entry, const QString &uri, const FileStamp &stamp)
{
    if (entry.value(KeyUri) != uri)
        return false;
    bool ok = false;
    const qint64 mtime = entry.value(KeyMTime).toLongLong(&ok);
    if (!ok || mtime != stamp.mtime)
        return false;
    const QString size = entry.value(KeySize);
    return size.isEmpty() || size.toLongLong() == stamp.size;
}

// An entry's keys, read from its text chunks without decoding a pixel: any
// program may write this folder, so the pixels are decoded like any other
// picture, by PictureLoader, and only for an entry that fits.
Keys readKeys(const QString &file)
{
    Keys keys;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return keys;
    constexpr qint64 MostKeyBytes = 64 * 1024;
    for (int guard = 0; guard < 4096; ++guard) {
        const QByteArray header = f.read(8);
        if (header.size() < 8)
            break;
        const qint64 length = qFromBigEndian<quint32>(header.constData());
        const QByteArray type = header.mid(4, 4);
        if (type == "IEND")
            break;
        if ((type == "tEXt" || type == "zTXt" || type == "iTXt") && length <= MostKeyBytes) {
            const QByteArray data = f.read(length);
            const qsizetype name = data.indexOf('\0');
            if (name > 0) {
                QByteArray value;
                if (type == "tEXt")
                    value = data.mid(name + 1);
                else if (type == "zTXt" && name + 2 <= data.size())
                    value = inflatedAtMost(data.mid(name + 2), MostKeyBytes);
                else if (type == "iTXt" && name + 3 <= data.size() && data.at(name + 1) == 0)
                    value = data.mid(data.indexOf('\0', data.indexOf('\0', name + 3) + 1) + 1);
                const QString key = QString::fromLatin1(data.left(name));
                keys.insert(key, type == "iTXt" ? QString::fromUtf8(value) : QString::fromLatin1(value));
            }
            f.skip(4);
        } else if (!f.seek(f.pos() + length + 4)) {
            break;
        }
    }
    return keys;
}

bool writeEntry(const QString &target, QImage image, const QString &uri, const FileStamp &stamp,
                const QSize &sourceSize)
{
    if (!makeFolder(QFileInfo(target).absolutePath()))
        return false;
    image.setText(KeyUri, uri);
    image.setText(KeyMTime, QString::number(stamp.mtime));
    image.setText(KeySize, QString::number(stamp.size));
    if (sourceSize.isValid()) {
        image.setText(KeyWidth, QString::number(sourceSize.width()));
        image.setText(KeyHeight, QString::number(sourceSize.height()));
    }
    image.setText(KeySoftware, QStringLiteral("Glintwave " GLINTWAVE_VERSION_TEXT));
    // Written beside the entry and renamed over it: a reader sees the old
    // entry or the new one, never half of one.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(OwnerOnlyFile);
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

ThumbnailCache::ThumbnailCache(const QString &root)
    : m_root(QDir::cleanPath(QFileInfo(root).absoluteFilePath()))
{
}

QString ThumbnailCache::standardRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/thumbnails");
}

int ThumbnailCache::bucketEdge(int thumbSize)
{
    for (int edge : {128, 256, 512, 1024})
        if (thumbSize <= edge)
            return edge;
    return 0;
}

QString ThumbnailCache::bucketFolder(int edge)
{
    switch (edge) {
    case 128: return QStringLiteral("normal");
    case 256: return QStringLiteral("large");
    case 512: return QStringLiteral("x-large");
    case 1024: return QStringLiteral("xx-large");
    default: return QString();
    }
}

QString ThumbnailCache::uriOf(const QString &path)
{
    return QString::fromLatin1(
        QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).toEncoded(QUrl::FullyEncoded));
}

QString ThumbnailCache::entryName(const QString &uri)
{
    return QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex())
           + QStringLiteral(".png");
}

QString ThumbnailCache::entryPath(const QString &path, int edge) const
{
    return m_root + QLatin1Char('/') + bucketFolder(edge) + QLatin1Char('/') + entryName(uriOf(path));
}

QString ThumbnailCache::failFolder() const
{
    return m_root + QStringLiteral("/fail/glintwave-" GLINTWAVE_VERSION_TEXT);
}

QString ThumbnailCache::failPath(const QString &path) const
{
    return failFolder() + QLatin1Char('/') + entryName(uriOf(path));
}

bool ThumbnailCache::covers(const QString &path) const
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return absolute.startsWith(m_root + QLatin1Char('/'));
}

ThumbnailCache::Entry ThumbnailCache::find(const QString &path, int edge) const
{
    Entry entry;
    if (bucketFolder(edge).isEmpty() || covers(path))
        return entry;
    const FileStamp stamp = stampOf(path);
    if (!stamp.ok)
        return entry;
    const QString uri = uriOf(path);
    const QString name = entryName(uri);

    const QString file = m_root + QLatin1Char('/') + bucketFolder(edge) + QLatin1Char('/') + name;
    const Keys keys = readKeys(file);
    if (describes(keys, uri, stamp)) {
        const QImage image = PictureLoader::load(file, PictureLoader::LoadRequest{{}, true}).image;
        if (!image.isNull()) {
            entry.state = State::Ready;
            const QSize source(keys.value(KeyWidth).toInt(), keys.value(KeyHeight).toInt());
            entry.sourceSize = source.isEmpty() ? image.size() : source;
            entry.image = image;
            return entry;
        }
    }
    if (describes(readKeys(failFolder() + QLatin1Char('/') + name), uri, stamp))
        entry.state = State::Failed;
    return entry;
}

bool ThumbnailCache::store(const QString &path, int edge, const QImage &thumbnail, const QSize &sourceSize) const
{
    if (bucketFolder(edge).isEmpty() || covers(path) || thumbnail.isNull())
        return false;
    const FileStamp stamp = stampOf(path);
    return stamp.ok && writeEntry(entryPath(path, edge), thumbnail, uriOf(path), stamp, sourceSize);
}

bool ThumbnailCache::storeFailure(const QString &path) const
{
    if (covers(path))
        return false;
    const FileStamp stamp = stampOf(path);
    if (!stamp.ok)
        return false;
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    return writeEntry(failPath(path), mark, uriOf(path), stamp, QSize());
}

LoadedPicture ThumbnailCache::make(const QString &path, int edge) const
{
    LoadedPicture picture = PictureLoader::loadThumbnail(path, edge);
    if (!picture.ok()) {
        storeFailure(path);
        return picture;
    }
    const QSize source = picture.sourceSize;
    if (source.isValid() && source.width() <= edge && source.height() <= edge && picture.image.size() != source) {
        const LoadedPicture own = PictureLoader::loadThumbnail(path, std::max(source.width(), source.height()));
        if (own.ok())
            picture.image = own.image;
    }
    store(path, edge, picture.image, source);
    return picture;
}
