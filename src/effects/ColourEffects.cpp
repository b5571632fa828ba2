#include "effects/ColourEffects.h"

#include "effects/ParallelRows.h"
#include "effects/PictureBuffers.h"

#include <algorithm>
#include <array>

QImage asRgb32(const QImage &picture)
{
    if (picture.format() == QImage::Format_RGB32)
        return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

namespace {
// Applies op to every pixel, row bands on all cores.
template <typename Op>
QImage mapPixels(const QImage &picture, Op op)
{
    const QImage src = asRgb32(picture);
    QImage dst = newPicture(src.width(), src.height());
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
    const int w = src.width();
    parallelBands(src.height(), w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(y));
            for (int x = 0; x < w; ++x)
                d[x] = op(s[x]);
        }
    });
    return dst;
}
} // namespace

QImage tint(const QImage &picture, int r, int g, int b, int drmod)
{
    if (picture.isNull())
        return picture;
    const QRgb c = (QRgb(r & 0xff) << 16) | (QRgb(g & 0xff) << 8) | QRgb(b & 0xff);
    switch (drmod) {
    case TintInvert:
        return mapPixels(picture, [](QRgb p) { return p ^ 0x00ffffffu; });
    case TintXor:
        return mapPixels(picture, [c](QRgb p) { return p ^ c; });
    case TintMask:
        return mapPixels(picture, [c](QRgb p) { return p & (c | 0xff000000u); });
    case TintMerge:
        return mapPixels(picture, [c](QRgb p) { return p | c; });
    case TintCopy:
        return mapPixels(picture, [c](QRgb) { return c | 0xff000000u; });
    default:
        return picture;
    }
}

QImage brightness(const QImage &picture, int mode, int intensity)
{
    if (picture.isNull())
        return picture;
    int a = 25 * (intensity + 1);
    if (mode == 1)
        a = -a;
    // One table for all three channels: clamping per pixel is then three lookups.
    std::array<uint32_t, 256> lut{};
    for (int v = 0; v < 256; ++v)
        lut[v] = uint32_t(std::clamp(v + a, 0, 255));
    return mapPixels(picture, [&lut](QRgb p) {
        return 0xff000000u | (lut[(p >> 16) & 0xff] << 16) | (lut[(p >> 8) & 0xff] << 8) | lut[p & 0xff];
    });
}
