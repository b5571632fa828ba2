#include "viewer/JpegQuickView.h"
#include "viewer/JpegErrors.h"

#include <QByteArray>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace jpegquickview {
namespace {

int be16(const uchar *p)
{
    return (p[0] << 8) | p[1];
}

// What the quick view needs of the file: its frame, its MCUs and where each
// restart interval's coded data starts.
struct Layout {
    bool ok = false;
    int width = 0, height = 0;
    int mcuW = 0, mcuH = 0, mcusPerRow = 0, mcuRows = 0;
    int restart = 0;            // MCUs an interval holds, 0: no markers
    qint64 sofAt = 0;           // the frame header's segment (after its marker)
    qint64 dataAt = 0;          // the first byte of coded data
    qint64 dataEnd = 0;         // the end marker
    std::vector<qint64> starts; // each interval's first byte

    // Intervals laid out as a grid of cells: whole rows of MCUs each
    // (bandRows of them), or even steps along one row (cellsPerRow).
    int bandRows = 0, cellsPerRow = 0;
    bool grid() const { return bandRows > 0; }
    int bands() const { return (mcuRows + bandRows - 1) / bandRows; }
    qint64 cellEnd(size_t i) const { return i + 1 < starts.size() ? starts[i + 1] - 2 : dataEnd; }
};

Layout parse(const uchar *d, qint64 size)
{
    Layout l;
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return l;
    int components = 0, maxH = 1, maxV = 1;
    qint64 p = 2;
    for (;;) {
        while (p + 1 < size && d[p] == 0xFF && d[p + 1] == 0xFF)
            ++p;
        if (p + 4 > size || d[p] != 0xFF)
            return l;
        const int marker = d[p + 1];
        p += 2;
        const int length = be16(d + p);
        if (length < 2 || p + length > size)
            return l;
        if (marker == 0xC0 || marker == 0xC1) {
            if (length < 8 || d[p + 2] != 8)
                return l;
            l.sofAt = p;
            l.height = be16(d + p + 3);
            l.width = be16(d + p + 5);
            components = d[p + 7];
            if (components != 3 || length < 8 + 3 * components)
                return l;
            for (int c = 0; c < components; ++c) {
                const int hv = d[p + 8 + 3 * c + 1];
                maxH = std::max(maxH, hv >> 4);
                maxV = std::max(maxV, hv & 15);
            }
        } else if ((marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)) {
            return l;   // progressive, lossless or arithmetic: not ours
        } else if (marker == 0xDD && length >= 4) {
            l.restart = be16(d + p + 2);
        } else if (marker == 0xDA) {
            // One scan holding every component, as a baseline file has.
            if (components != 3 || length < 3 || d[p + 2] != components)
                return l;
            l.dataAt = p + length;
            break;
        }
        p += length;
    }
    if (l.width <= 0 || l.height <= 0 || maxH > 4 || maxV > 4)
        return l;
    l.mcuW = 8 * maxH;
    l.mcuH = 8 * maxV;
    l.mcusPerRow = (l.width + l.mcuW - 1) / l.mcuW;
    l.mcuRows = (l.height + l.mcuH - 1) / l.mcuH;
    l.ok = true;
    if (l.restart <= 0)
        return l;
    // The markers: 0xFF 0x00 is a coded 0xFF, 0xFF 0xFF fill.
    const qint64 intervals = (qint64(l.mcusPerRow) * l.mcuRows + l.restart - 1) / l.restart;
    l.starts.reserve(size_t(std::min(intervals, size / 2)));
    l.starts.push_back(l.dataAt);
    for (qint64 q = l.dataAt;;) {
        const void *hit = std::memchr(d + q, 0xFF, size_t(size - q));
        if (!hit || static_cast<const uchar *>(hit) + 1 >= d + size)
            break;
        q = static_cast<const uchar *>(hit) - d;
        const int next = d[q + 1];
        if (next == 0x00 || next == 0xFF) {
            ++q;
        } else if (next >= 0xD0 && next <= 0xD7) {
            l.starts.push_back(q + 2);
            q += 2;
        } else {
            if (next == 0xD9)
                l.dataEnd = q;
            break;
        }
    }
    if (l.dataEnd == 0 || qint64(l.starts.size()) != intervals) {
        l.starts.clear();   // damaged or laid out otherwise: the skip will do
        return l;
    }
    if (l.restart % l.mcusPerRow == 0) {
        l.bandRows = l.restart / l.mcusPerRow;
        l.cellsPerRow = 1;
    } else if (l.mcusPerRow % l.restart == 0) {
        l.bandRows = 1;
        l.cellsPerRow = l.mcusPerRow / l.restart;
    }
    return l;
}

constexpr int MaxPartBand = 128;

int cellWidthPx(const Layout &l)
{
    return l.cellsPerRow == 1 ? l.mcusPerRow * l.mcuW : l.restart * l.mcuW;
}

// A JPEG of its own holding the cells [col0, col1) of the given bands, in
// order, with the frame's size and the markers made to match.
QByteArray assemble(const uchar *d, const Layout &l, const std::vector<int> &bands, int col0, int col1)
{
    const int bandPx = l.bandRows * l.mcuH, cellPx = cellWidthPx(l);
    int height = 0;
    for (int b : bands)
        height += std::min(l.height, (b + 1) * bandPx) - b * bandPx;
    const int width = std::min(l.width, col1 * cellPx) - col0 * cellPx;
    qint64 bytes = l.dataAt + 2;
    for (int b : bands)
        for (int c = col0; c < col1; ++c) {
            const size_t i = size_t(b) * l.cellsPerRow + c;
            bytes += l.cellEnd(i) - l.starts[i] + 2;
        }
    QByteArray out;
    out.reserve(bytes);
    out.append(reinterpret_cast<const char *>(d), l.dataAt);
    uchar *frame = reinterpret_cast<uchar *>(out.data()) + l.sofAt;
    frame[3] = uchar(height >> 8);
    frame[4] = uchar(height);
    frame[5] = uchar(width >> 8);
    frame[6] = uchar(width);
    int n = 0;
    for (int b : bands)
        for (int c = col0; c < col1; ++c, ++n) {
            if (n > 0) {
                out.append(char(0xFF));
                out.append(char(0xD0 + (n - 1) % 8));
            }
            const size_t i = size_t(b) * l.cellsPerRow + c;
            out.append(reinterpret_cast<const char *>(d + l.starts[i]), l.cellEnd(i) - l.starts[i]);
        }
    out.append(char(0xFF));
    out.append(char(0xD9));
    return out;
}

// Decodes rows [skip, skip + rows) (all when rows is 0) of columns from
// cropX, cropWidth wide (all when 0), at 1/scale, into out from row at; a
// null out is made to the size decoded (the crop may widen to MCU edges:
// *gotX is where it starts). False on any error; out's rows may then be
// partly written. No object with a destructor lives in this frame, which
// an error leaves.
bool decodeInto(const uchar *data, qint64 size, int scale, int skip, int rows, int cropX, int cropWidth,
                QImage *out, int at, int *gotX)
{
    jpeg_decompress_struct info;
    JpegErrors error;
    error.attachTo(info);
    jpeg_create_decompress(&info);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    if (scale > 1) {
        // A reduced view: the fastest settings, it is soon replaced.
        info.scale_num = 1;
        info.scale_denom = unsigned(scale);
        info.do_fancy_upsampling = FALSE;
        info.dct_method = JDCT_IFAST;
    }
    jpeg_start_decompress(&info);
    if (cropWidth > 0) {
        JDIMENSION x = JDIMENSION(cropX), w = JDIMENSION(cropWidth);
        jpeg_crop_scanline(&info, &x, &w);
        *gotX = int(x);
    }
    if (skip > 0)
        jpeg_skip_scanlines(&info, JDIMENSION(skip));
    const int last = rows > 0 ? std::min(skip + rows, int(info.output_height)) : int(info.output_height);
    const int width = int(info.output_width);
    if (out->isNull())
        *out = QImage(width, last - skip, QImage::Format_RGB32);
    while (int(info.output_scanline) < last) {
        const int y = at + int(info.output_scanline) - skip;
        if (y >= out->height() || width > out->width())
            break;
        JSAMPROW row = out->scanLine(y);
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
    }
    const bool whole = int(info.output_scanline) >= last;
    jpeg_destroy_decompress(&info);
    return whole;
}

// The bands' cells [col0, col1) decoded at 1/scale into one picture, the
// bands split between two threads; at full scale only the columns from
// cropX (in the cells' pixels), cropWidth wide, when cropWidth > 0, and
// *gotX tells where they start.
QImage decodeCells(const uchar *d, const Layout &l, const std::vector<int> &bands, int col0, int col1, int scale,
                   int cropX = 0, int cropWidth = 0, int *gotX = nullptr)
{
    // Split where half the coded bytes are: the threads' work is the
    // entropy decoding, and bands differ in size with what they show.
    auto bytesOf = [&](int band) {
        const size_t i = size_t(band) * l.cellsPerRow;
        return l.cellEnd(i + size_t(col1) - 1) - l.starts[i + size_t(col0)];
    };
    qint64 total = 0;
    for (int band : bands)
        total += bytesOf(band);
    size_t half = 0;
    for (qint64 sum = 0; half + 1 < bands.size() && (sum += bytesOf(bands[half])) <= total / 2;)
        ++half;
    const std::vector<int> first(bands.begin(), bands.begin() + qsizetype(half)),
        second(bands.begin() + qsizetype(half), bands.end());
    const QByteArray a = first.empty() ? QByteArray() : assemble(d, l, first, col0, col1);
    const QByteArray b = assemble(d, l, second, col0, col1);
    // Output sizes as libjpeg rounds them: up, per picture.
    auto scaled = [scale](int px) { return (px + scale - 1) / scale; };
    const int bandPx = l.bandRows * l.mcuH, cellPx = cellWidthPx(l);
    auto heightOf = [&](const std::vector<int> &list) {
        int h = 0;
        for (int band : list)
            h += std::min(l.height, (band + 1) * bandPx) - band * bandPx;
        return scaled(h);
    };
    const int fullWidth = scaled(std::min(l.width, col1 * cellPx) - col0 * cellPx);
    // libjpeg starts a crop at an MCU's left edge: the same for both halves.
    int x = 0, width = fullWidth;
    if (cropWidth > 0 && scale == 1) {
        x = cropX / l.mcuW * l.mcuW;
        width = std::min(fullWidth, cropX + cropWidth) - x;
        if (gotX)
            *gotX = x;
    }
    const int topHeight = first.empty() ? 0 : heightOf(first);
    QImage out(width, topHeight + heightOf(second), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const bool crop = width != fullWidth;
    auto decode = [&](const QByteArray &jpeg, int at) {
        int got = x;
        return decodeInto(reinterpret_cast<const uchar *>(jpeg.constData()), jpeg.size(), scale, 0, 0, x,
                          crop ? width : 0, &out, at, &got)
            && got == x;
    };
    bool topOk = true;
    std::thread top;
    if (!a.isEmpty()) {
        try {
            top = std::thread([&] { topOk = decode(a, 0); });
        } catch (const std::system_error &) {
            topOk = decode(a, 0);
        }
    }
    const bool bottomOk = decode(b, topHeight);
    if (top.joinable())
        top.join();
    return topOk && bottomOk ? out : QImage();
}

} // namespace

View part(const uchar *data, qint64 size, const QRect &wanted)
{
    const Layout l = parse(data, size);
    View view;
    if (!l.ok)
        return view;
    const QRect area = wanted.intersected(QRect(0, 0, l.width, l.height));
    if (area.isEmpty())
        return view;
    // Bands of many rows would decode far more than the part: skip to it.
    if (l.grid() && l.bandRows * l.mcuH <= MaxPartBand) {
        const int bandPx = l.bandRows * l.mcuH, cellPx = cellWidthPx(l);
        std::vector<int> bands;
        for (int b = area.top() / bandPx; b <= area.bottom() / bandPx; ++b)
            bands.push_back(b);
        const int col0 = area.left() / cellPx, col1 = area.right() / cellPx + 1;
        int x = 0;
        view.image = decodeCells(data, l, bands, col0, col1, 1, area.left() - col0 * cellPx, area.width(), &x);
        x += col0 * cellPx;
        const int y = bands.front() * bandPx;
        view.area = QRect(x, y, view.image.width(), view.image.height());
        if (view.image.isNull())
            view.area = QRect();
        return view;
    }
    // Without markers to jump by: the columns cropped, the rows above skipped.
    int x = area.left();
    QImage image;
    if (!decodeInto(data, size, 1, area.top(), area.height(), area.left(), area.width(), &image, 0, &x)
        || image.isNull())
        return view;
    view.image = image;
    view.area = QRect(x, area.top(), image.width(), image.height());
    return view;
}

View reduced(const uchar *data, qint64 size, const QSize &want)
{
    const Layout l = parse(data, size);
    View view;
    if (!l.ok || !l.grid() || want.isEmpty())
        return view;
    constexpr int Scale = 8;
    const int rowsPerBand = std::max(1, l.bandRows * l.mcuH / Scale);
    // A quarter of the rows wanted: the view is soon replaced, and every row
    // costs its whole width's entropy decode.
    const int count = std::min(l.bands(), (want.height() / 4 + rowsPerBand - 1) / rowsPerBand);
    std::vector<int> bands;
    for (int i = 0; i < count; ++i)
        bands.push_back(int(qint64(i) * l.bands() / count));
    view.image = decodeCells(data, l, bands, 0, l.cellsPerRow, Scale);
    if (!view.image.isNull())
        view.area = QRect(0, 0, l.width, l.height);
    return view;
}

qint64 neededBytes(qint64 fileSize, const QSize &picture)
{
    // The coded data copied (at most all of it) and an offset per interval
    // (at most one per 8 x 8 pixels).
    return fileSize + qint64(picture.width()) * picture.height() / 64 * qint64(sizeof(qint64));
}

}
