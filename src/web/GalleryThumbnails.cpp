#include "web/GalleryThumbnails.h"

#include "core/MediaFormats.h"
#include "core/NumberText.h"
#include "viewer/PictureLoader.h"

#include <QFileInfo>

#include <cmath>

bool isThumbnailPicture(const QString &fileName)
{
    const int dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return false;
    const MediaFormats::Format *format = MediaFormats::find(fileName.mid(dot + 1).toUpper());
    return format && format->icon == MediaFormats::PictureIcon;
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
    // The viewer's loader: its limits, every kind it reads (a drawing is
    // rendered at the thumbnail's size), the largest image of an icon, the
    // orientation tag, and JPEG shrinking while it decodes.
    PictureLoader::LoadRequest request;
    request.keepAlpha = true;
    request.sizeRule = [width](const QSize &shown) { return thumbnailSize(shown, width); };
    return PictureLoader::load(path, request).image;
}
