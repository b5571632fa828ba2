#include "effects/NeighbourEffects.h"

#include "effects/ColourEffects.h"
#include "effects/Colour.h"
#include "effects/NeighbourKernels.h"
#include "effects/ParallelRows.h"
#include "effects/PictureBuffers.h"
#include "core/Rnd.h"


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
QImage blockEffect(const QImage &picture, Shade shade, neighbourkernels::Shade kind, int threshold)
{
    if (picture.isNull())
        return picture;
    const QImage src = asRgb32(picture);
    const int w = src.width(), h = src.height();
    QImage dst = newPicture(w, h);
    if (dst.isNull())
        return QImage();
    const PictureRows dstRow(dst);
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
            // The vector loop takes what it can; the rest, with the right
            // border, goes through the plain one.
            const int done = hasBelow ? neighbourkernels::blockRows(s0, s1, d0, d1, w, threshold, kind) : 0;
            for (int x = done; x < w; x += 2) {
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
    return blockEffect(picture, [threshold](Diff d) { return d.distance > threshold ? Black : White; },
                       neighbourkernels::Shade::Edge, threshold);
}

QImage emboss(const QImage &picture, int threshold)
{
    return blockEffect(picture, [threshold](Diff d) {
        // Grey below the threshold, else white where the neighbour is darker
        // and black where it is not; masks, as edges come in no useful order.
        const QRgb edge = 0u - QRgb(d.distance > threshold);
        const QRgb darker = 0u - QRgb(d.sum < 0);
        return (Grey & ~edge) | (edge & ((White & darker) | (Black & ~darker)));
    }, neighbourkernels::Shade::Emboss, threshold);
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
    const PictureRows dstRow(dst);
    const uchar *srcBits = src.constBits();
    const qsizetype srcLine = src.bytesPerLine();

    // The rule draws column by column (x = 0..w, y = 0..h, both inclusive, as
    // it reads one step past each edge), the first column repeating the number
    // drawn last. The draws are reserved as one run, so that any row can work
    // out its own numbers and the rows can go to both cores.
    const int rows = h + 1;
    double before;
    RndRun run;
    {
        const auto lock = lockRnd();
        before = RndRepeat();
        run = reserveRnd(uint64_t(w) * uint64_t(rows));
    }
    // Draw (x, y), x > 0, is number (x - 1) * rows + y of the run: along a row
    // the state steps by rows draws.
    const uint64_t step = uint64_t(rows) * rnd_detail::Golden;
    auto decideRow = [&](int y, uint8_t *out) {
        out[0] = movesDown(before, y);
        const int done = neighbourkernels::noiseDecisions(run.stateOf(uint64_t(y)), step, y, w, out);
        uint64_t state = run.stateOf(uint64_t(y)) + uint64_t(done - 1) * step;
        for (int x = done; x < w; ++x, state += step)
            out[x] = movesDown(rnd_detail::fromState(state), y);
    };

    parallelBands(h, 2LL * w, [&](int first, int last) {
        std::vector<uint8_t> above(static_cast<size_t>(w), 0);
        std::vector<uint8_t> here(static_cast<size_t>(w), 0);
        if (first > 0) // the row above this band: what moves down into it
            decideRow(first - 1, above.data());
        for (int t = first; t < last; ++t) {
            decideRow(t, here.data());
            QRgb *d = reinterpret_cast<QRgb *>(dstRow(t));
            const QRgb *cur = reinterpret_cast<const QRgb *>(srcBits + t * srcLine);
            const QRgb *up = reinterpret_cast<const QRgb *>(srcBits + (t > 0 ? t - 1 : 0) * srcLine);
            const int done = neighbourkernels::noiseCombine(cur, up, here.data(), above.data(), d, w);
            for (int x = done; x < w; ++x) {
                // Rows are written top to bottom: the pixel that stays wins over
                // the one moving down from above. The choice is random, so it is
                // made with masks rather than branches.
                const uint32_t stays = uint32_t(here[size_t(x)]) - 1u;  // all ones when it stays
                const uint32_t comes = 0u - uint32_t(above[size_t(x)]); // all ones when the one above moves
                d[x] = (cur[x] & stays) | (~stays & ((up[x] & comes) | (Black & ~comes)));
            }
            above.swap(here);
        }
    });
    return dst;
}
