#include "browser/PackedImage.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

// The planes in the order they are stored; red and blue are kept as their
// difference from green, centred so that grey is 128 and does not wrap.
// The alpha plane comes last and is left out where every pixel is opaque.
constexpr int Planes = 4;

inline uint8_t planeValue(QRgb p, int plane)
{
    const int g = qGreen(p);
    switch (plane) {
    case 0: return uint8_t(g);
    case 1: return uint8_t(qRed(p) - g + 128);
    case 2: return uint8_t(qBlue(p) - g + 128);
    default: return uint8_t(qAlpha(p));
    }
}

// Each byte is predicted by the plane through its left, upper and
// upper-left neighbours (left + up - upper-left; the first row from the
// left, the first column from above), in bytes' arithmetic. The remainder
// is then the change of the column differences along the row, so that
// rebuilding a row is a running sum and an addition of the row above.
inline uint8_t remainder(const uint8_t *row, const uint8_t *above, int x)
{
    const int down = row[x] - (above ? above[x] : 0);
    const int before = x > 0 ? row[x - 1] - (above ? above[x - 1] : 0) : 0;
    return uint8_t(down - before);
}

// Rebuilds the pixels of the box from the remainders, the planes side by
// side so that their running sums go at once.
template <int Stored>
void rebuild(uint8_t *in, size_t planeBytes, int w, int h, const std::function<QRgb *(int)> &line)
{
    for (int y = 0; y < h; ++y) {
        uint8_t *rows[Stored];
        for (int p = 0; p < Stored; ++p)
            rows[p] = in + p * planeBytes + size_t(y) * w;
        uint8_t sums[Stored] = {};
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < Stored; ++p)
                rows[p][x] = sums[p] = uint8_t(sums[p] + rows[p][x]);
        if (y > 0)
            for (int p = 0; p < Stored; ++p) {
                uint8_t *row = rows[p];
                const uint8_t *above = row - w;
                for (int x = 0; x < w; ++x)
                    row[x] = uint8_t(row[x] + above[x]);
            }
        QRgb *out = line(y);
        for (int x = 0; x < w; ++x) {
            const int g = rows[0][x];
            out[x] = qRgba((rows[1][x] + g - 128) & 255, g, (rows[2][x] + g - 128) & 255,
                           Stored == 4 ? rows[Stored - 1][x] : 255);
        }
    }
}

// The smallest rectangle outside which every pixel is 0 (transparent, as
// a square thumbnail's margins are); an empty one for a picture all 0.
QRect paintedBox(const QImage &image)
{
    const int w = image.width(), h = image.height();
    auto line = [&](int y) { return reinterpret_cast<const QRgb *>(image.constScanLine(y)); };
    auto blankRow = [&](int y) {
        const QRgb *l = line(y);
        return std::all_of(l, l + w, [](QRgb p) { return p == 0; });
    };
    int top = 0, bottom = h - 1;
    while (top <= bottom && blankRow(top))
        ++top;
    while (bottom > top && blankRow(bottom))
        --bottom;
    if (top > bottom)
        return QRect();
    int left = w - 1, right = 0;
    for (int y = top; y <= bottom; ++y) {
        const QRgb *l = line(y);
        int x = 0;
        while (x < left && l[x] == 0)
            ++x;
        left = x;
        x = w - 1;
        while (x > right && l[x] == 0)
            --x;
        right = x;
    }
    return QRect(QPoint(left, top), QPoint(std::max(left, right), bottom));
}

} // namespace

PackedImage::PackedImage(const QImage &image)
{
    if (image.isNull())
        return;
    const QImage::Format f = image.format();
    const bool wide = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32
                      || f == QImage::Format_ARGB32_Premultiplied;
    const QImage source = wide ? image
                               : image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                               : QImage::Format_RGB32);
    m_size = source.size();
    m_format = source.format();
    m_box = paintedBox(source);
    const int w = m_box.width(), h = m_box.height();
    const size_t planeBytes = size_t(w) * h;
    std::vector<uint8_t> planes(planeBytes * Planes);
    bool opaque = true;
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(m_box.top() + y)) + m_box.left();
        for (int x = 0; x < w; ++x) {
            opaque = opaque && qAlpha(line[x]) == 255;
            for (int p = 0; p < Planes; ++p)
                planes[p * planeBytes + size_t(y) * w + x] = planeValue(line[x], p);
        }
    }
    m_opaque = opaque;
    const int stored = opaque ? Planes - 1 : Planes;
    QByteArray rest(qsizetype(planeBytes * stored), Qt::Uninitialized);
    auto *out = reinterpret_cast<uint8_t *>(rest.data());
    for (int p = 0; p < stored; ++p) {
        const uint8_t *plane = planes.data() + p * planeBytes;
        for (int y = 0; y < h; ++y) {
            const uint8_t *row = plane + size_t(y) * w;
            const uint8_t *above = y > 0 ? row - w : nullptr;
            uint8_t *o = out + p * planeBytes + size_t(y) * w;
            for (int x = 0; x < w; ++x)
                o[x] = remainder(row, above, x);
        }
    }
    // Copied into a block of its own size while the deflater's, sized for
    // the worst case, is still held: shrunk in place, that block would leave
    // a gap behind every picture kept, too small for the next one's work,
    // and a build of thousands would grow the heap by the gaps.
    const QByteArray deflated = qCompress(rest, 3);
    m_data = QByteArray(deflated.constData(), deflated.size());
}

QImage PackedImage::unpack() const
{
    if (m_size.isEmpty())
        return QImage();
    QImage image(m_size, m_format);
    if (image.isNull())
        return image;
    if (m_box != QRect(QPoint(), m_size))
        image.fill(0);
    if (m_box.isEmpty())
        return image;
    const int w = m_box.width(), h = m_box.height();
    const size_t planeBytes = size_t(w) * h;
    const int stored = m_opaque ? Planes - 1 : Planes;
    QByteArray planes = qUncompress(m_data);
    if (size_t(planes.size()) != planeBytes * stored)
        return QImage();
    auto *in = reinterpret_cast<uint8_t *>(planes.data());
    const auto line = [&](int y) { return reinterpret_cast<QRgb *>(image.scanLine(m_box.top() + y)) + m_box.left(); };
    if (m_opaque)
        rebuild<Planes - 1>(in, planeBytes, w, h, line);
    else
        rebuild<Planes>(in, planeBytes, w, h, line);
    return image;
}
