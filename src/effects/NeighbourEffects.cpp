#include "NeighbourEffects.h"

#include "ColourEffects.h"
#include "Colour.h"
#include "ParallelRows.h"
#include "PictureBuffers.h"
#include "Rnd.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

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
        // Grey below the threshold, else white where the neighbour is darker
        // and black where it is not; masks, as edges come in no useful order.
        const QRgb edge = 0u - QRgb(d.distance > threshold);
        const QRgb darker = 0u - QRgb(d.sum < 0);
        return (Grey & ~edge) | (edge & ((White & darker) | (Black & ~darker)));
    });
}

// Whether u + y (u in [0, 1)) rounds, halves to even, to y + 1 rather than y:
// the sum beyond y + 0.5, or exactly on it with y odd. y + 0.5 is exact, so
// this agrees with rounding the sum, at a fraction of its cost.
static inline bool movesDown(double u, int y)
{
    const double v = u + double(y);
    const double half = double(y) + 0.5;
    return (v > half) | ((v == half) & (y & 1));
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
    // inclusive, as the rule reads one step past each edge) on one thread, to
    // stay repeatable under a seed. They are drawn for a strip of columns at a
    // time while another thread writes the previous strip row by row.
    // A strip's decisions are kept row by row, so that writing a row reads
    // them in one run.
    constexpr int Strip = 128;
    const int rows = h + 1;
    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(size_t(Strip) * rows),
                                       std::vector<uint8_t>(size_t(Strip) * rows)};
    const uchar *srcBits = src.constBits();
    const qsizetype srcLine = src.bytesPerLine();

    auto draw = [&](int x0, std::vector<uint8_t> &down) {
        const int x1 = std::min(w + 1, x0 + Strip);
        for (int x = x0; x < x1; ++x) {
            uint8_t *col = &down[size_t(x - x0)];
            for (int y = 0; y < rows; ++y) {
                const double u = x > 0 ? Rnd() : RndRepeat();
                col[size_t(y) * Strip] = movesDown(u, y);
            }
        }
    };
    auto write = [&](int x0, const std::vector<uint8_t> &down) {
        const int xw = std::min(w, x0 + Strip); // column w lies outside: drawn for, never written
        const std::vector<uint8_t> none(Strip, 0); // above the first row nothing moves in
        for (int t = 0; t < h; ++t) {
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(t));
            const QRgb *here = reinterpret_cast<const QRgb *>(srcBits + t * srcLine);
            const QRgb *above = reinterpret_cast<const QRgb *>(srcBits + (t > 0 ? t - 1 : 0) * srcLine);
            const uint8_t *moves = &down[size_t(t) * Strip] - x0;
            const uint8_t *movedIn = (t > 0 ? &down[size_t(t - 1) * Strip] : none.data()) - x0;
            for (int x = x0; x < xw; ++x) {
                // Rows are written top to bottom: the pixel that stays wins over
                // the one moving down from above. The choice is random, so it is
                // made with masks rather than branches.
                const uint32_t stays = uint32_t(moves[x]) - 1u;   // all ones when it stays
                const uint32_t comes = 0u - uint32_t(movedIn[x]); // all ones when the one above moves
                d[x] = (here[x] & stays) | (~stays & ((above[x] & comes) | (Black & ~comes)));
            }
        }
    };

    const auto rndLock = lockRnd(); // one sequence, drawn here on this thread only
    const bool overlap = qint64(w) * h >= 256 * 1024 && QThread::idealThreadCount() > 1;
    QFuture<void> writing;
    int current = 0;
    draw(0, buffers[current]);
    for (int x0 = 0; x0 < w; x0 += Strip) {
        const int next = x0 + Strip;
        if (!overlap) {
            write(x0, buffers[current]);
            if (next <= w)
                draw(next, buffers[current]);
            continue;
        }
        writing = QtConcurrent::run([&write, x0, &buf = buffers[current]] { write(x0, buf); });
        if (next <= w)
            draw(next, buffers[1 - current]);
        writing.waitForFinished();
        current = 1 - current;
    }
    return dst;
}
