#include "effects/ZoomView.h"

#include "effects/ColourEffects.h"
#include "effects/Colour.h"
#include "effects/ParallelRows.h"
#include "effects/PictureBuffers.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

QString tooLargeMessage()
{
    return QStringLiteral("Projected image is too large to fit into memory");
}

namespace {
QImage allocate(qint64 w, qint64 h)
{
    if (w <= 0 || h <= 0 || w > INT32_MAX / 4 || h > INT32_MAX || w * h > MaxPicturePixels)
        return QImage();
    return newPicture(int(w), int(h));
}
} // namespace

ZoomResult zoomImage(const QImage &picture, int factor)
{
    ZoomResult result;
    if (picture.isNull() || factor == 0) {
        result.image = picture;
        return result;
    }
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    if (factor >= 1) {
        const int n = factor;
        QImage dst = allocate(qint64(w) * n, qint64(h) * n);
        if (dst.isNull()) {
            result.tooLarge = true;
            return result;
        }
        const int dw = dst.width();
        const PictureRows dstRow(dst);
        parallelBands(h, qint64(dw) * n, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) {
                const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
                QRgb *first = reinterpret_cast<QRgb *>(dstRow(y * n));
                QRgb *d = first;
                for (int x = 0; x < w; ++x)
                    for (int k = 0; k < n; ++k)
                        *d++ = s[x];
                for (int k = 1; k < n; ++k)
                    std::memcpy(dstRow(y * n + k), first, size_t(dw) * 4);
            }
        });
        result.image = dst;
        return result;
    }
    const int n = std::abs(factor);
    QImage dst = allocate(std::max(1, w / n), std::max(1, h / n));
    if (dst.isNull()) {
        result.tooLarge = true;
        return result;
    }
    const int dw = dst.width();
    const PictureRows dstRow(dst);
    parallelBands(dst.height(), dw, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y * n));
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(y));
            for (int x = 0; x < dw; ++x)
                d[x] = s[x * n];
        }
    });
    result.image = dst;
    return result;
}

ZoomResult scaleImage(const QImage &picture, int width, int height)
{
    ZoomResult result;
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxPicturePixels) {
        result.tooLarge = true;
        return result;
    }
    if (picture.size() == QSize(width, height)) {
        result.image = asRgb32(picture);
        return result;
    }
    // Qt reports a failed allocation as a null picture, never by throwing.
    result.image = asRgb32(asRgb32(picture).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    result.tooLarge = result.image.isNull();
    return result;
}

void centrepic(PictureView &view)
{
    // Floor division keeps a picture larger than the screen centred too.
    view.left = int(std::floor((view.screen.width() - view.image.width()) / 2.0));
    view.top = int(std::floor((view.screen.height() - view.image.height()) / 2.0));
}

namespace {
bool takeResult(PictureView &view, const ZoomResult &r, QString *message)
{
    if (r.tooLarge || r.image.isNull()) {
        if (message)
            *message = tooLargeMessage();
        return false;
    }
    view.image = r.image;
    centrepic(view);
    return true;
}

// The other side of a fit: the picture's size divided by the ratio, in single
// precision as the ratio is, rounded with halves to even.
qint64 fittedSide(int side, float ratio)
{
    const float v = float(side) / ratio;
    if (!std::isfinite(v) || v > 4.0e9f)
        return -1;
    return std::max<qint64>(1, qint64(gwcolour::roundHalfEven(double(v))));
}
} // namespace

bool zoom(PictureView &view, int factor, QString *message)
{
    if (view.image.isNull() || factor == 0)
        return true;
    return takeResult(view, zoomImage(view.image, factor), message);
}

bool fitWidth(PictureView &view, QString *message)
{
    if (view.image.isNull() || view.window.width() <= 0)
        return true;
    const float q = float(view.image.width()) / float(view.window.width());
    const qint64 h = fittedSide(view.image.height(), q);
    if (h < 0 || h > INT32_MAX) {
        if (message)
            *message = tooLargeMessage();
        return false;
    }
    return takeResult(view, scaleImage(view.image, view.window.width(), int(h)), message);
}

bool fitHeight(PictureView &view, QString *message)
{
    if (view.image.isNull() || view.window.height() <= 0)
        return true;
    const float q = float(view.image.height()) / float(view.window.height());
    const qint64 w = fittedSide(view.image.width(), q);
    if (w < 0 || w > INT32_MAX) {
        if (message)
            *message = tooLargeMessage();
        return false;
    }
    return takeResult(view, scaleImage(view.image, int(w), view.window.height()), message);
}

bool stretchToWindow(PictureView &view, QString *message)
{
    if (view.image.isNull() || view.window.isEmpty())
        return true;
    const ZoomResult r = scaleImage(view.image, view.window.width(), view.window.height());
    if (r.image.isNull()) {
        if (message)
            *message = tooLargeMessage();
        return false;
    }
    view.image = r.image;
    view.left = 0;
    view.top = 0;
    return true;
}
