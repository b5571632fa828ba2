#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// HEIC, HEIF and AVIF pictures through libheif: the primary image, turned
// and mirrored as the file says, alpha kept.
namespace HeifDecoder {

// True when these first bytes (at least 12) begin a HEIF-family file.
bool looksLikeHeif(const QByteArray &head);

// The primary image at its own size, RGB32 or ARGB32. A picture whose
// declared size is beyond PictureLimits is refused before any pixel is
// decoded; *sourceSize gets the declared size whenever the header was read.
QImage decode(const QString &path, QSize *sourceSize, QString *error);

}
