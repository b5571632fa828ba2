#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// HEIC, HEIF and AVIF pictures through libheif: the primary image, turned
// and mirrored as the file says, alpha kept.
namespace HeifDecoder {

// True when these first bytes (at least 12) begin a HEIF-family file.
bool looksLikeHeif(const QByteArray &head);

// The primary image at its own size, RGB32 or ARGB32; or, when the rule
// (primary size to wanted size) asks for no more than an embedded thumbnail
// holds (phones write one), that thumbnail: a fraction of the work. What is
// decoded is checked against PictureLimits before any pixel is; *sourceSize
// gets the primary image's declared size whenever the header was read.
QImage decode(const QString &path, const std::function<QSize(const QSize &)> &rule, QSize *sourceSize,
              QString *error);

}
