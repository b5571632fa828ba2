#include "viewer/ExifThumbnail.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <mutex>

namespace exifthumbnail {

namespace {
// EXIF sits in one APP1 segment of at most 64 KB, after JFIF's APP0.
constexpr qint64 HeadBytes = 160 * 1024;

QString text(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? QString() : QString::fromStdString(it->toString()).trimmed();
}
} // namespace

Found read(QIODevice &file)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
    Found found;
    const qint64 start = file.pos();
    if (!file.seek(0))
        return found;
    const QByteArray head = file.read(HeadBytes);
    file.seek(start);
    try {
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(head.constData()),
                                               long(head.size()));
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const Exiv2::DataBuf thumb = Exiv2::ExifThumbC(exif).copy();
        if (thumb.size_ <= 0 || thumb.pData_ == nullptr)
            return found;
        found.jpeg = QByteArray(reinterpret_cast<const char *>(thumb.pData_), int(thumb.size_));
        // A camera writes both moments alike; a program that changed the
        // picture later moves the first and may have kept the old thumbnail.
        const QString changed = text(exif, "Exif.Image.DateTime");
        const QString taken = text(exif, "Exif.Photo.DateTimeOriginal");
        found.fresh = changed.isEmpty() || (!taken.isEmpty() && changed.left(16) <= taken.left(16));
    } catch (const std::exception &) {   // Exiv2::Error, and std::bad_alloc on a hostile file
        found = Found();
    }
    return found;
}

QImage standIn(const Found &found, const QSize &source, const QSize &want, bool turned)
{
    if (found.jpeg.isEmpty() || !found.fresh || source.isEmpty() || want.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(found.jpeg);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    QSize size = reader.size();
    if (!size.isValid() || size.width() > LargestSide || size.height() > LargestSide)
        return {};
    if (turned)
        size.transpose();
    // Too small, or of other proportions (bars, a crop): the picture itself.
    const double expectedHeight = double(size.width()) * source.height() / source.width();
    if (size.width() < want.width() || size.height() < want.height() || std::abs(expectedHeight - size.height()) > 1.0)
        return {};
    return reader.read();
}

}
