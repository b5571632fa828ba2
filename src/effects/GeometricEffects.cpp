#include "effects/GeometricEffects.h"

#include "effects/ColourEffects.h"
#include "effects/Colour.h"
#include "effects/ParallelRows.h"
#include "effects/PictureBuffers.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <algorithm>
#include <vector>

QImage flipLeftRight(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
    parallelBands(h, w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(y)) + (w - 1);
            for (int x = 0; x < w; ++x)
                *(d - x) = s[x];
        }
    });
    return dst;
}

QImage flipTopBottom(const QImage &picture)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
    parallelBands(h, w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            std::memcpy(dstRow(h - 1 - y), src.constScanLine(y), size_t(w) * 4);
    });
    return dst;
}

namespace {
// Quarter turns move pixels across rows; going tile by tile keeps both the
// reads and the writes inside the cache, and inside a tile 4 x 4 blocks are
// turned in registers so every load and store moves four pixels.
constexpr int Tile = 64;

inline void turnPixel(const uchar *sBits, qsizetype sLine, const PictureRows &dstRow, int x, int y,
                      int w, int h, bool clockwise)
{
    const QRgb p = *reinterpret_cast<const QRgb *>(sBits + y * sLine + qsizetype(x) * 4);
    if (clockwise)
        reinterpret_cast<QRgb *>(dstRow(x))[h - 1 - y] = p;
    else
        reinterpret_cast<QRgb *>(dstRow(w - 1 - x))[y] = p;
}

// Source block (x, y)..(x + 3, y + 3) into the turned picture.
inline void turnBlock(const uchar *s, qsizetype sLine, const PictureRows &dstRow, int x, int y,
                      int w, int h, bool clockwise)
{
#if !defined(__SSE2__)
    const uchar *base = s - y * sLine - qsizetype(x) * 4;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            turnPixel(base, sLine, dstRow, x + i, y + j, w, h, clockwise);
#else
    __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
    __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + sLine));
    __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 2 * sLine));
    __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 3 * sLine));
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
    // Column j of the block, top to bottom.
    const __m128i col[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                            _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
    for (int j = 0; j < 4; ++j) {
        // (x, y) -> (h - 1 - y, x) clockwise, where the column lands reversed;
        // (x, y) -> (y, w - 1 - x) the other way.
        QRgb *d = clockwise ? reinterpret_cast<QRgb *>(dstRow(x + j)) + (h - 4 - y)
                            : reinterpret_cast<QRgb *>(dstRow(w - 1 - x - j)) + y;
        const __m128i v = clockwise ? _mm_shuffle_epi32(col[j], _MM_SHUFFLE(0, 1, 2, 3)) : col[j];
        // The turned picture is not read again soon: aligned stores go straight
        // to memory, so its lines are never fetched just to be overwritten.
        if (reinterpret_cast<quintptr>(d) % 16 == 0)
            _mm_stream_si128(reinterpret_cast<__m128i *>(d), v);
        else
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d), v);
    }
#endif
}

QImage quarterTurn(const QImage &src, bool clockwise)
{
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(h, w);
    if (dst.isNull())
        return QImage();
    const uchar *sBits = src.constBits();
    const qsizetype sLine = src.bytesPerLine();
    const PictureRows dstRow(dst);
    const int tileRows = (h + Tile - 1) / Tile;
    parallelBands(tileRows, qint64(w) * Tile, [&](int t0, int t1) {
        for (int ty = t0 * Tile; ty < std::min(h, t1 * Tile); ty += Tile) {
            const int yEnd = std::min(h, ty + Tile);
            const int yBlocks = ty + (yEnd - ty) / 4 * 4;
            for (int tx = 0; tx < w; tx += Tile) {
                const int xEnd = std::min(w, tx + Tile);
                const int xBlocks = tx + (xEnd - tx) / 4 * 4;
                // Down each 4-pixel column strip, so the four rows it lands on
                // are written a whole line at a time.
                // Clockwise, the strip lands right to left: walk it bottom up
                // so the stores still run forward through memory.
                for (int x = tx; x < xBlocks; x += 4)
                    for (int i = 0; i < yBlocks - ty; i += 4) {
                        const int y = clockwise ? yBlocks - 4 - i : ty + i;
                        turnBlock(sBits + y * sLine + qsizetype(x) * 4, sLine, dstRow, x, y, w, h, clockwise);
                    }
                // The ragged right and bottom edges of the tile, pixel by pixel.
                for (int y = ty; y < yEnd; ++y)
                    for (int x = (y < yBlocks ? xBlocks : tx); x < xEnd; ++x)
                        turnPixel(sBits, sLine, dstRow, x, y, w, h, clockwise);
            }
        }
#if defined(__SSE2__)
        _mm_sfence(); // the streamed stores are visible before the band is done
#endif
    });
    return dst;
}

QImage halfTurn(const QImage &src)
{
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
    parallelBands(h, w, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const QRgb *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(h - 1 - y)) + (w - 1);
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
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
    const QRgb bg = gwcolour::toPixel(background);

    // Each column's offset. Rounding amp*s + y can differ from y + round(amp*s)
    // only when amp*s lies within a few rounding steps of a half; such columns
    // take the exact pixel-by-pixel rule, all others a plain shift. The margin
    // is far wider than needed (1/4096) so that the exact path is easy to
    // reach in tests; that many columns cost little.
    std::vector<int> shift(w);
    std::vector<double> offset(w);
    std::vector<int> exactColumns;
    const double ulpAtH = std::ldexp(1.0, std::ilogb(double(h) + std::fabs(double(amp)) + 2.0) - 52);
    for (int x = 0; x < w; ++x) {
        const double f = amp * std::sin(double(x) / double(wavelength));
        offset[x] = f;
        const double r = gwcolour::roundHalfEven(f);
        shift[x] = int(r);
        if (0.5 - std::fabs(f - r) <= std::max(8 * ulpAtH, 1.0 / 4096)) {
            exactColumns.push_back(x);
            shift[x] = INT32_MIN; // handled below
        }
    }

    // The rows near the top and bottom, where some columns find nothing, go
    // by runs of columns that share a shift.
    struct Run {
        int x0, x1, shift;
    };
    std::vector<Run> runs;
    for (int x = 0; x < w; ++x) {
        if (!runs.empty() && runs.back().shift == shift[x])
            runs.back().x1 = x + 1;
        else
            runs.push_back({x, x + 1, shift[x]});
    }

    // Rows whose every column finds its source inside the picture are copied
    // by a gather through per-column offsets, without a test per pixel; near-
    // half columns take their own pixel there and are redone below.
    const uchar *srcBits = src.constBits();
    const qsizetype srcLine = src.bytesPerLine();
    int minShift = 0, maxShift = 0;
    std::vector<qsizetype> colOffset(w);
    for (int x = 0; x < w; ++x) {
        const int sh = shift[x] == INT32_MIN ? 0 : shift[x];
        minShift = std::min(minShift, sh);
        maxShift = std::max(maxShift, sh);
        colOffset[x] = qsizetype(x) * 4 - qsizetype(sh) * srcLine;
    }
    const int inner0 = std::min(h, maxShift), inner1 = std::max(inner0, h + minShift);

    parallelBands(h, w, [&](int y0, int y1) {
        for (int t = y0; t < y1; ++t) {
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(t));
            if (t >= inner0 && t < inner1) {
                const uchar *base = srcBits + t * srcLine;
                for (int x = 0; x < w; ++x)
                    d[x] = *reinterpret_cast<const QRgb *>(base + colOffset[x]);
                continue;
            }
            for (const Run &r : runs) {
                const int y = r.shift == INT32_MIN ? -1 : t - r.shift;
                if (unsigned(y) < unsigned(h)) {
                    const QRgb *from = reinterpret_cast<const QRgb *>(srcBits + y * srcLine);
                    for (int x = r.x0; x < r.x1; ++x)
                        d[x] = from[x];
                } else {
                    std::fill(d + r.x0, d + r.x1, bg); // nothing reaches here
                }
            }
        }
    });

    // Near-half columns: rows in order, so that a later source row that lands
    // on the same place wins, as with single pixel writes. Reads below the last
    // row give the invalid colour, whose write draws nothing.
    for (int t = 0; t < h && !exactColumns.empty(); ++t) {
        QRgb *d = reinterpret_cast<QRgb *>(dstRow(t));
        for (int x : exactColumns)
            d[x] = bg; // nothing may reach some places
    }
    for (int y = 0; y < h && !exactColumns.empty(); ++y) {
        const QRgb *from = reinterpret_cast<const QRgb *>(srcBits + y * srcLine);
        for (int x : exactColumns) {
            const int t = int(gwcolour::roundHalfEven(offset[x] + double(y)));
            if (t >= 0 && t < h)
                reinterpret_cast<QRgb *>(dstRow(t))[x] = from[x];
        }
    }
    return dst;
}
