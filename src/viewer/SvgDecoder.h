#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// SVG drawings rendered by Qt SVG at the size asked for, so a drawing shown
// on a large screen is drawn large, never rasterised small and blown up.
namespace SvgDecoder {

// True when these first bytes look like an SVG document.
bool looksLikeSvg(const QByteArray &head);

// Renders the drawing at rule(natural size) (its natural size without a
// rule) on a transparent ARGB32 picture. A size beyond PictureLimits is
// refused before the picture is allocated. *naturalSize gets the drawing's
// own size when it could be read.
QImage render(const QString &path, const std::function<QSize(const QSize &)> &rule, QSize *naturalSize,
              QString *error);

}
