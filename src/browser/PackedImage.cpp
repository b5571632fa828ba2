#include "browser/PackedImage.h"

#include <cstdint>
#include <vector>

namespace {

// The planes in the order they are stored; red and blue are kept as their
// difference from green, centred so that grey is 128 and does not wrap.
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

// The median predictor: the left or upper neighbour, or the plane's slope
// through them, whichever lies between the other two.
inline int predicted(const uint8_t *row, const uint8_t *above, int x)
{
    const int left = x > 0 ? row[x - 1] : (above ? above[x] : 0);
    const int up = above ? above[x] : left;
    const int corner = above && x > 0 ? above[x - 1] : up;
    const int lo = std::min(left, up), hi = std::max(left, up);
    if (corner >= hi)
        return lo;
    if (corner <= lo)
        return hi;
    return left + up - corner;
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
    const int w = source.width(), h = source.height();
    const size_t planeBytes = size_t(w) * h;
    std::vector<uint8_t> planes(planeBytes * Planes);
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < Planes; ++p)
                planes[p * planeBytes + size_t(y) * w + x] = planeValue(line[x], p);
    }
    QByteArray rest(qsizetype(planes.size()), Qt::Uninitialized);
    auto *out = reinterpret_cast<uint8_t *>(rest.data());
    for (int p = 0; p < Planes; ++p) {
        const uint8_t *plane = planes.data() + p * planeBytes;
        for (int y = 0; y < h; ++y) {
            const uint8_t *row = plane + size_t(y) * w;
            const uint8_t *above = y > 0 ? row - w : nullptr;
            uint8_t *o = out + p * planeBytes + size_t(y) * w;
            for (int x = 0; x < w; ++x)
                o[x] = uint8_t(row[x] - predicted(row, above, x));
        }
    }
    // Copied into a block of its own size while the deflater's, sized for
    // the worst case, is still held: shrunk in place, that block would leave
    // a gap behind every picture kept, too small for the next one's work,
    // and a build of thousands would grow the heap by the gaps.
    const QByteArray deflated = qCompress(rest, 6);
    m_data = QByteArray(deflated.constData(), deflated.size());
    m_size = source.size();
    m_format = source.format();
}

QImage PackedImage::unpack() const
{
    if (isNull())
        return QImage();
    const QByteArray rest = qUncompress(m_data);
    const int w = m_size.width(), h = m_size.height();
    const size_t planeBytes = size_t(w) * h;
    if (size_t(rest.size()) != planeBytes * Planes)
        return QImage();
    std::vector<uint8_t> planes(planeBytes * Planes);
    const auto *in = reinterpret_cast<const uint8_t *>(rest.constData());
    for (int p = 0; p < Planes; ++p) {
        uint8_t *plane = planes.data() + p * planeBytes;
        for (int y = 0; y < h; ++y) {
            uint8_t *row = plane + size_t(y) * w;
            const uint8_t *above = y > 0 ? row - w : nullptr;
            const uint8_t *r = in + p * planeBytes + size_t(y) * w;
            for (int x = 0; x < w; ++x)
                row[x] = uint8_t(r[x] + predicted(row, above, x));
        }
    }
    QImage image(m_size, m_format);
    if (image.isNull())
        return image;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const size_t at = size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            const int g = planes[at + x];
            line[x] = qRgba((planes[planeBytes + at + x] + g - 128) & 255, g,
                            (planes[2 * planeBytes + at + x] + g - 128) & 255, planes[3 * planeBytes + at + x]);
        }
    }
    return image;
}
