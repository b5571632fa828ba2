#pragma once
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// The decoders Glintwave carries itself, beside Qt's image readers: HEIC,
// HEIF and AVIF (libheif) and SVG (Qt SVG, drawn at the wanted size). Each
// is chosen by the file's first bytes, never by its name, and checks the
// declared size against PictureLimits before it allocates.
namespace PictureDecoders {

struct Decoded {
    bool owned = false;   // false: none of ours reads this file
    QImage image;         // null on failure; any size, the caller fits it
    QSize sourceSize;     // the picture's own (upright) size, when known
    QString error;
};

// Decodes the file when one of ours owns it. The rule maps the source size
// to the size wanted; a drawing is rendered at that size, a HEIF picture
// comes from its embedded thumbnail when that is large enough, otherwise at
// its own size.
Decoded read(const QString &path, const std::function<QSize(const QSize &)> &rule);

}
