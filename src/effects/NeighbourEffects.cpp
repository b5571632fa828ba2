#include "NeighbourEffects.h"

#include "ColourEffects.h"
#include "Colour.h"
#include "ParallelRows.h"
#include "PictureBuffers.h"
#include "Rnd.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
constexpr QRgb Black = 0xff000000u;
constexpr QRgb White = 0xffffffffu;
constexpr QRgb Grey = 0xff7d7d7du; // 125, 125, 125

struct Diff {
    int distance; // |dr| + |dg| + |db|
    int sum;      // dr + dg + db
};

inline Diff difference(gwcolour::Channels from, gwcolour::Channels to)
{
    const int dr = to.r - from.r, dg = to.g - from.g, db = to.b - from.b;
    return {std::abs(dr) + std::abs(dg) + std::abs(db), dr + dg + db};
}

template <typename Shade>
QImage blockEffect(const QImage &picture, Shade shade)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    // Row pointers taken here, once: scanLine() on a writable image is not for
    // several threads at a time.
    uchar *const dstBits = dst.bits();
    const qsizetype dstLine = dst.bytesPerLine();
    auto dstRow = [dstBits, dstLine](qsizetype y) { return dstBits + y * dstLine; };
    const gwcolour::Channels invalid = gwcolour::split(gwcolour::Invalid);
    const int blockRows = (h + 1) / 2;
    parallelBands(blockRows, 2LL * w, [&](int b0, int b1) {
        for (int by = b0; by < b1; ++by) {
            const int y = 2 * by;
            const bool hasBelow = y + 1 < h;
            const QRgb *s0 = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            const QRgb *s1 = hasBelow ? reinterpret_cast<const QRgb *>(src.constScanLine(y + 1)) : nullptr;
            QRgb *d0 = reinterpret_cast<QRgb *>(dstRow(y));
            QRgb *d1 = hasBelow ? reinterpret_cast<QRgb *>(dstRow(y + 1)) : nullptr;
            for (int x = 0; x < w; x += 2) {
                const bool hasRight = x + 1 < w;
                const gwcolour::Channels c0 = gwcolour::splitPixel(s0[x]);
                const gwcolour::Channels c1 = hasRight ? gwcolour::splitPixel(s0[x + 1]) : invalid;
                const gwcolour::Channels c2 = hasBelow ? gwcolour::splitPixel(s1[x]) : invalid;
                const QRgb top = shade(difference(c0, c1));
                d0[x] = top;
                if (hasRight)
                    d0[x + 1] = top;
                if (hasBelow) {
                    const QRgb bottom = shade(difference(c0, c2));
                    d1[x] = bottom;
                    if (hasRight)
                        d1[x + 1] = bottom;
                }
            }
        }
    });
    return dst;
}
} // namespace

QImage edge(const QImage &picture, int threshold)
{
    return blockEffect(picture, [threshold](Diff d) { return d.distance > threshold ? Black : White; });
}

QImage emboss(const QImage &picture, int threshold)
{
    return blockEffect(picture, [threshold](Diff d) {
        if (d.distance <= threshold)
            return Grey;
        return d.sum < 0 ? White : Black; // a darker neighbour lights the edge
    });
}

QImage addnoise(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    // Row pointers taken here, once: scanLine() on a writable image is not for
    // several threads at a time.
    uchar *const dstBits = dst.bits();
    const qsizetype dstLine = dst.bytesPerLine();
    auto dstRow = [dstBits, dstLine](qsizetype y) { return dstBits + y * dstLine; };

    // The numbers must be drawn column by column (x = 0..w, y = 0..h, both
    // inclusive, as the rule reads one step past each edge) to stay repeatable
    // under a seed. They are drawn for a strip of columns at a time, then the
    // strip is written row by row, which keeps the writes in the cache.
    constexpr int Strip = 64;
    const int rows = h + 1;
    std::vector<uint8_t> down(size_t(Strip) * rows);
    const uchar *srcBits = src.constBits();
    const qsizetype srcLine = src.bytesPerLine();

    for (int x0 = 0; x0 <= w; x0 += Strip) {
        const int x1 = std::min(w + 1, x0 + Strip);
        for (int x = x0; x < x1; ++x) {
            uint8_t *col = &down[size_t(x - x0) * rows];
            for (int y = 0; y < rows; ++y) {
                const double u = x > 0 ? Rnd() : RndRepeat();
                col[y] = gwcolour::roundHalfEven(u + double(y)) != double(y);
            }
        }
        const int xw = std::min(x1, w); // column w lies outside: drawn for, never written
        if (xw <= x0)
            continue;
        parallelBands(h, xw - x0, [&](int t0, int t1) {
            for (int t = t0; t < t1; ++t) {
                QRgb *d = reinterpret_cast<QRgb *>(dstRow(t));
                const QRgb *here = reinterpret_cast<const QRgb *>(srcBits + t * srcLine);
                const QRgb *above = t > 0 ? reinterpret_cast<const QRgb *>(srcBits + (t - 1) * srcLine) : nullptr;
                for (int x = x0; x < xw; ++x) {
                    const uint8_t *col = &down[size_t(x - x0) * rows];
                    // Rows are written top to bottom: the pixel that stays wins
                    // over the one moving down from above.
                    if (!col[t])
                        d[x] = here[x];
                    else if (t > 0 && col[t - 1])
                        d[x] = above[x];
                    else
                        d[x] = Black;
                }
            }
        });
    }
    return dst;
}
