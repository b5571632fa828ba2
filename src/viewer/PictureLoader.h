#pragma once
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// Loads picture files as the viewer and the thumbnail view need them:
// JPEG, BMP, GIF and WebP (first frame), ICO (its largest image), PNG, TIFF
// and the other formats Qt reads, WMF through libwmf, and HEIC/AVIF and SVG
// through PictureDecoders. JPEG EXIF orientation is applied,
// so sizes are always those of the upright picture. Pictures whose header
// claims more than PictureLimits allows are refused before anything is
// allocated.
struct LoadedPicture {
    QImage image;        // null on failure
    QSize sourceSize;    // the upright picture's own size, when known
    QString error;       // why it failed
    bool ok() const { return !image.isNull(); }
};

namespace PictureLoader {

// Maps the upright source size to the size wanted.
using SizeRule = std::function<QSize(const QSize &)>;

// The whole picture at its own size, RGB32, transparent parts laid on
// background.
LoadedPicture load(const QString &path, QColor background = Qt::black);

// The picture at the size rule gives for its source size, RGB32. Shrinking
// happens while decoding where the format allows (JPEG decodes at 1/2, 1/4
// or 1/8 scale), the rest is a smooth resample.
LoadedPicture loadFitted(const QString &path, const SizeRule &rule, QColor background = Qt::black);

// The picture fitted inside edge x edge pixels with its aspect ratio kept
// (enlarged when smaller), transparency kept (ARGB32 premultiplied).
LoadedPicture loadThumbnail(const QString &path, int edge);

// Size that keeps the aspect ratio of source and fits inside edge x edge.
QSize fitInside(const QSize &source, int edge);

// The fitted picture centred on a transparent edge x edge square.
QImage squareThumbnail(const QImage &fitted, int edge);

}
