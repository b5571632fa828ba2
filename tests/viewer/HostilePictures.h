#pragma once
// Small files that ask for a great deal: pictures built byte by byte so
// that their headers are believable and their pixels cost gigabytes, and
// drawings that reach for other files. Made at test time; shared by the
// tests and the corpus maker.
#include "DamagedPictures.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

namespace hostile {

// A BMP stored top down (a negative height), w x h at 24 bits, with a few
// bytes of pixels: 118 bytes in all.
inline QByteArray topDownBmp(qint32 w, qint32 h)
{
    QByteArray b(118, '\0');
    char *d = b.data();
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), d + 2);
    qToLittleEndian<quint32>(54, d + 10);    // pixels start
    qToLittleEndian<quint32>(40, d + 14);    // info header
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(-h, d + 22);
    qToLittleEndian<quint16>(1, d + 26);     // planes
    qToLittleEndian<quint16>(24, d + 28);    // bits
    return b;
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray typeAndData = QByteArray(type, 4) + data;
    QByteArray c(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), c.data());
    c += typeAndData;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(damaged::pngCrc(typeAndData), crc.data());
    return c + crc;
}

// A 1-bit PNG of w x h white pixels: deflate packs those rows of zeros into
// a few tens of kilobytes.
inline QByteArray oneBitPngBomb(quint32 w, quint32 h)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(w, ihdr.data());
    qToBigEndian<quint32>(h, ihdr.data() + 4);
    ihdr[8] = 1;   // bit depth
    ihdr[9] = 0;   // grey
    const QByteArray rows(qsizetype(h) * (1 + (w + 7) / 8), '\0');
    const QByteArray packed = qCompress(rows, 9).mid(4);   // the zlib stream, without Qt's length
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + pngChunk("IDAT", packed)
           + pngChunk("IEND", {});
}

// A grey TIFF of w x h whose strips all point at one small deflated block
// of zeros: every strip decodes to a full strip of pixels.
inline QByteArray sharedStripTiff(quint32 w, quint32 h, quint32 rowsPerStrip)
{
    const quint32 strips = (h + rowsPerStrip - 1) / rowsPerStrip;
    const QByteArray block = qCompress(QByteArray(qsizetype(w) * rowsPerStrip, '\0'), 9).mid(4);
    const quint32 entries = 10;
    const quint32 ifd = 8;
    const quint32 offsets = ifd + 2 + entries * 12 + 4;
    const quint32 counts = offsets + strips * 4;
    const quint32 data = counts + strips * 4;
    QByteArray b(qsizetype(data) + block.size(), '\0');
    char *d = b.data();
    d[0] = 'I';
    d[1] = 'I';
    qToLittleEndian<quint16>(42, d + 2);
    qToLittleEndian<quint32>(ifd, d + 4);
    qToLittleEndian<quint16>(quint16(entries), d + ifd);
    char *e = d + ifd + 2;
    auto entry = [&e](quint16 tag, quint16 type, quint32 count, quint32 value) {
        qToLittleEndian<quint16>(tag, e);
        qToLittleEndian<quint16>(type, e + 2);
        qToLittleEndian<quint32>(count, e + 4);
        if (type == 3 && count == 1)
            qToLittleEndian<quint16>(quint16(value), e + 8);
        else
            qToLittleEndian<quint32>(value, e + 8);
        e += 12;
    };
    entry(256, 4, 1, w);                  // width
    entry(257, 4, 1, h);                  // height
    entry(258, 3, 1, 8);                  // bits per sample
    entry(259, 3, 1, 8);                  // deflate
    entry(262, 3, 1, 1);                  // black is zero
    entry(273, 4, strips, offsets);       // strip offsets
    entry(277, 3, 1, 1);                  // samples per pixel
    entry(278, 4, 1, rowsPerStrip);
    entry(279, 4, strips, counts);        // strip byte counts
    entry(284, 3, 1, 1);                  // planar: chunky
    for (quint32 i = 0; i < strips; ++i) {
        qToLittleEndian<quint32>(data, d + offsets + 4 * i);
        qToLittleEndian<quint32>(quint32(block.size()), d + counts + 4 * i);
    }
    b.replace(qsizetype(data), block.size(), block);
    return b;
}

// A lossless WebP whose header claims w x h (at most 16384 each), padded
// with bytes that are not a picture to size bytes.
inline QByteArray webpBomb(quint32 w, quint32 h, qsizetype size)
{
    QByteArray vp8l(5, '\0');
    vp8l[0] = char(0x2f);
    const quint32 bits = ((w - 1) & 0x3fff) | (((h - 1) & 0x3fff) << 14) | (1u << 28);   // alpha used
    qToLittleEndian<quint32>(bits, vp8l.data() + 1);
    vp8l += QByteArray(std::max<qsizetype>(0, size - 20 - vp8l.size()), '\x55');
    if (vp8l.size() % 2)
        vp8l += '\0';
    QByteArray chunk("VP8L", 4);
    QByteArray length(4, '\0');
    qToLittleEndian<quint32>(quint32(vp8l.size()), length.data());
    chunk += length + vp8l;
    QByteArray riff("RIFF", 4);
    QByteArray total(4, '\0');
    qToLittleEndian<quint32>(quint32(4 + chunk.size()), total.data());
    return riff + total + QByteArray("WEBP", 4) + chunk;
}

// An SVG of w x h that draws the picture at href (another file, itself, a
// named pipe) over itself.
inline QByteArray svgDrawing(int w, int h, const QString &href = QString())
{
    QByteArray s = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
                   + QByteArray::number(w) + "\" height=\"" + QByteArray::number(h) + "\">";
    s += "<rect width=\"10\" height=\"10\" fill=\"#c00\"/>";
    if (!href.isEmpty())
        s += "<image xlink:href=\"" + href.toUtf8().toPercentEncoding("/:.-_") + "\" width=\"" + QByteArray::number(w)
             + "\" height=\"" + QByteArray::number(h) + "\"/>";
    return s + "</svg>\n";
}

} // namespace hostile
