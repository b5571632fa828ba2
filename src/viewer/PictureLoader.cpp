#include "PictureLoader.h"

#include "PictureDecoders.h"
#include "PictureLimits.h"
#include "WmfRender.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace {

enum class Output { Opaque, Transparent };

QImage finish(QImage image, const QSize &want, Output output, const QColor &background)
{
    if (image.isNull())
        return image;
    if (want.isValid() && !want.isEmpty() && image.size() != want)
        image = image.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (output == Output::Transparent)
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.fill(background);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

// By content: a metafile with another extension still opens, and a JPEG
// named .wmf goes to the image reader.
bool isWmf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && WmfRender::looksLikeWmf(file.read(32));
}

// An icon file holds several pictures: take the largest (by area, then depth).
LoadedPicture readLargestIcon(QImageReader &reader)
{
    LoadedPicture result;
    QImage best;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (size.isValid() && !PictureLimits::acceptable(size))
            continue;
        QImage image;
        if (!reader.read(&image))
            continue;
        const qint64 area = qint64(image.width()) * image.height();
        const qint64 bestArea = qint64(best.width()) * best.height();
        if (best.isNull() || area > bestArea || (area == bestArea && image.depth() > best.depth()))
            best = image;
    }
    if (best.isNull())
        result.error = reader.errorString();
    result.image = best;
    result.sourceSize = best.size();
    return result;
}

LoadedPicture read(const QString &path, const PictureLoader::SizeRule &rule, Output output,
                   const QColor &background)
{
    PictureLimits::applyToImageReader();
    LoadedPicture result;

    if (isWmf(path)) {
        QSize natural;
        auto sizeFor = [&](const QSize &n) {
            natural = n;
            return rule ? rule(n) : n;
        };
        QImage image = WmfRender::render(path, sizeFor, &result.error);
        result.sourceSize = natural;
        result.image = finish(image, QSize(), output, background);
        return result;
    }

    const PictureDecoders::Decoded own = PictureDecoders::read(path, rule);
    if (own.owned) {
        result.sourceSize = own.sourceSize;
        result.error = own.error;
        const QSize want = rule ? rule(own.sourceSize) : own.sourceSize;
        result.image = finish(own.image, want, output, background);
        return result;
    }

    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        result.error = reader.errorString();
        return result;
    }

    if (format == "ico" || format == "cur") {
        LoadedPicture icon = readLargestIcon(reader);
        if (!icon.ok())
            return icon;
        const QSize want = rule ? rule(icon.sourceSize) : icon.sourceSize;
        icon.image = finish(icon.image, want, output, background);
        return icon;
    }

    const QSize raw = reader.size();
    if (raw.isValid() && !PictureLimits::acceptable(raw)) {
        result.error = QStringLiteral("The picture is too large (%1 x %2 pixels)")
                           .arg(raw.width()).arg(raw.height());
        return result;
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    QSize want;
    if (raw.isValid()) {
        result.sourceSize = turned ? raw.transposed() : raw;
        want = rule ? rule(result.sourceSize) : result.sourceSize;
        // Let the decoder shrink (JPEG scales while decoding); enlarging is
        // left to the smooth resample below.
        if (want.isValid() && !want.isEmpty() && want.width() <= result.sourceSize.width()
            && want.height() <= result.sourceSize.height() && want != result.sourceSize)
            reader.setScaledSize(turned ? want.transposed() : want);
    }
    QImage image;
    if (!reader.read(&image)) {
        result.error = reader.errorString();
        return result;
    }
    if (!raw.isValid()) {
        result.sourceSize = image.size();
        want = rule ? rule(result.sourceSize) : result.sourceSize;
    }
    result.image = finish(image, want, output, background);
    if (result.image.isNull() && result.error.isEmpty())
        result.error = QStringLiteral("out of memory");
    return result;
}

} // namespace

namespace PictureLoader {

LoadedPicture load(const QString &path, QColor background)
{
    return read(path, {}, Output::Opaque, background);
}

LoadedPicture loadFitted(const QString &path, const SizeRule &rule, QColor background)
{
    return read(path, rule, Output::Opaque, background);
}

QSize fitInside(const QSize &source, int edge)
{
    if (source.isEmpty() || edge <= 0)
        return QSize();
    const double scale = std::min(double(edge) / source.width(), double(edge) / source.height());
    return QSize(std::clamp(int(std::lround(source.width() * scale)), 1, edge),
                 std::clamp(int(std::lround(source.height() * scale)), 1, edge));
}

LoadedPicture loadThumbnail(const QString &path, int edge)
{
    return read(path, [edge](const QSize &s) { return fitInside(s, edge); }, Output::Transparent, Qt::black);
}

QImage squareThumbnail(const QImage &fitted, int edge)
{
    QImage square(edge, edge, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    if (fitted.isNull())
        return square;
    QPainter painter(&square);
    painter.drawImage((edge - fitted.width()) / 2, (edge - fitted.height()) / 2, fitted);
    return square;
}

}
