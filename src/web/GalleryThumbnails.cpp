#include "GalleryThumbnails.h"

#include "NumberText.h"
#include "PictureDecoders.h"

#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <cmath>

bool isThumbnailPicture(const QString &fileName)
{
    static const QSet<QString> pictures = {"JPG", "JPEG", "BMP", "GIF", "ICO", "PNG", "WEBP", "TIF",
                                           "TIFF", "SVG", "HEIC", "HEIF", "AVIF"};
    const int dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return false;
    return pictures.contains(fileName.mid(dot + 1).toUpper());
}

int thumbnailWidth(const QString &text)
{
    const double value = leadingNumber(text);
    if (!(value >= 1.0))
        return 100;
    if (value > 2000.0)
        return 2000;
    return std::max(8, static_cast<int>(value));
}

QString thumbnailFolderName(const QString &pageFileName)
{
    QString base = QFileInfo(pageFileName).completeBaseName();
    if (base.isEmpty())
        base = pageFileName;   // ".htm" has no base name of its own
    return base + "_thumbs";
}

QString thumbnailFileName(const QString &pictureName)
{
    // The full name keeps a.jpg and a.gif apart; PNG keeps transparency.
    return pictureName + ".png";
}

namespace {
// Icons hold several sizes: the largest makes the best thumbnail.
void jumpToLargestImage(QImageReader &reader)
{
    const int count = reader.imageCount();
    if (count <= 1)
        return;
    int best = 0;
    qint64 bestArea = -1;
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        const qint64 area = qint64(size.width()) * size.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    reader.jumpToImage(best);
}
}

QSize thumbnailSize(const QSize &picture, int width)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    if (picture.width() <= width)
        return picture;   // small pictures keep their own size
    const int height = std::max(1, int(std::lround(double(picture.height()) * width / picture.width())));
    return {width, height};
}

QImage makeThumbnail(const QString &path, int width)
{
    // HEIC/AVIF and SVG go through the viewer's own decoders; a drawing is
    // rendered at the thumbnail's size.
    const PictureDecoders::Decoded own = PictureDecoders::read(path, [width](const QSize &s) {
        return s.isEmpty() ? s : QSize(width, std::max(1, int(std::lround(double(s.height()) * width / s.width()))));
    });
    if (own.owned)
        return own.image.isNull() || own.image.width() == width
                   ? own.image
                   : own.image.scaledToWidth(width, Qt::SmoothTransformation);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (reader.format() == "ico")
        jumpToLargestImage(reader);
    const QSize stored = reader.size();
    if (stored.isValid() && stored.width() > 0 && stored.height() > 0) {
        // A picture turned by its orientation tag is scaled before it turns.
        const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
        const QSize shown = turned ? stored.transposed() : stored;
        const QSize wanted = thumbnailSize(shown, width);
        // Decoding straight to the small size is far cheaper for big JPEGs.
        if (wanted != shown)
            reader.setScaledSize(turned ? wanted.transposed() : wanted);
        QImage image = reader.read();
        if (!image.isNull() && image.size() != wanted)
            image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image;
    }
    const QImage image = reader.read();
    if (image.isNull() || image.width() <= 0)
        return {};
    const QSize wanted = thumbnailSize(image.size(), width);
    return wanted == image.size() ? image : image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
