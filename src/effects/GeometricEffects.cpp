#include "GeometricEffects.h"

#include "ColourEffects.h"
#include "Colour.h"
#include "ParallelRows.h"

#include <cmath>
#include <vector>

QImage flipLeftRight(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    return asRgb32(picture).mirrored(true, false);
}

QImage flipTopBottom(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    return asRgb32(picture).mirrored(false, true);
}

namespace {
// Quarter turns move pixels across rows; going tile by tile keeps both the
// reads and the writes inside the cache.
constexpr int Tile = 64;

QImage quarterTurn(const QImage &src, bool clockwise)
{
    const int w = src.width(), h = src.height();
    QImage dst(h, w, QImage::Format_RGB32);
    if (dst.isNull())
        return QImage();
    const int tileRows = (h + Tile - 1) / Tile;
    parallelBands(tileRows, qint64(w) * Tile, [&](int t0, int t1) {
        for (int ty = t0 * Tile; ty < std::min(h, t1 * Tile); ty += Tile) {
            const int yEnd = std::min(h, ty + Tile);
            for (int tx = 0; tx < w; tx += Tile) {
                const int xEnd = std::min(w, tx + Tile);
                for (int y = ty; y < yEnd; ++y) {
                    const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
                    if (clockwise) {
                        // (x, y) -> (h - 1 - y, x)
                        const int dx = h - 1 - y;
                        for (int x = tx; x < xEnd; ++x)
                            reinterpret_cast<QRgb *>(dst.scanLine(x))[dx] = s[x];
                    } else {
                        // (x, y) -> (y, w - 1 - x)
                        for (int x = tx; x < xEnd; ++x)
                            reinterpret_cast<QRgb *>(dst.scanLine(w - 1 - x))[y] = s[x];
                    }
                }
            }
        }
    });
    return dst;
}

QImage halfTurn(const QImage &src)
{
    const int w = src.width(), h = src.height();
    QImage dst(w, h, QImage::Format_RGB32);
    if (dst.isNull())
        return QImage();
    parallelBands(h, w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            QRgb *d = reinterpret_cast<QRgb *>(dst.scanLine(h - 1 - y)) + (w - 1);
            for (int x = 0; x < w; ++x)
                *(d - x) = s[x];
        }
    });
    return dst;
}
} // namespace

QImage rotateimage(const QImage &picture, int shift)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    switch (shift) {
    case 0:
        return quarterTurn(src, true);
    case 1:
        return halfTurn(src);
    case 2:
        return quarterTurn(src, false);
    default:
        return picture;
    }
}

QImage waveimage(const QImage &picture, int amp, int wavelength, int32_t background)
{
    if (picture.isNull() || wavelength == 0)
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst(w, h, QImage::Format_RGB32);
    if (dst.isNull())
        return QImage();
    dst.fill(gwcolour::toPixel(background));

    // Each column's offset. Rounding amp*s + y can differ from y + round(amp*s)
    // only when amp*s lies within a few rounding steps of a half; such columns
    // take the exact pixel-by-pixel rule, all others a plain shift.
    std::vector<int> shift(w);
    std::vector<double> offset(w);
    std::vector<int> exactColumns;
    const double ulpAtH = std::ldexp(1.0, std::ilogb(double(h) + std::fabs(double(amp)) + 2.0) - 52);
    for (int x = 0; x < w; ++x) {
        const double f = amp * std::sin(double(x) / double(wavelength));
        offset[x] = f;
        const double r = gwcolour::roundHalfEven(f);
        shift[x] = int(r);
        if (0.5 - std::fabs(f - r) <= 8 * ulpAtH) {
            exactColumns.push_back(x);
            shift[x] = INT32_MIN; // handled below
        }
    }

    const uchar *srcBits = src.constBits();
    const qsizetype srcLine = src.bytesPerLine();
    parallelBands(h, w, [&](int y0, int y1) {
        for (int t = y0; t < y1; ++t) {
            QRgb *d = reinterpret_cast<QRgb *>(dst.scanLine(t));
            for (int x = 0; x < w; ++x) {
                const int s = shift[x];
                if (s == INT32_MIN)
                    continue;
                const int y = t - s;
                if (unsigned(y) < unsigned(h))
                    d[x] = reinterpret_cast<const QRgb *>(srcBits + y * srcLine)[x];
            }
        }
    });

    // Near-half columns: rows in order, so that a later source row that lands on
    // the same place wins, as with single pixel writes. Reads below the last row
    // give the invalid colour, whose write draws nothing.
    for (int x : exactColumns) {
        for (int y = 0; y < h; ++y) {
            const int t = int(gwcolour::roundHalfEven(offset[x] + double(y)));
            if (t >= 0 && t < h)
                reinterpret_cast<QRgb *>(dst.scanLine(t))[x] = reinterpret_cast<const QRgb *>(src.constScanLine(y))[x];
        }
    }
    return dst;
}
