#pragma once
// Small files that ask for a great deal: drawings that reach for other
// files, headers that claim gigabytes of pixels. Made at test time.
#include "DamagedPictures.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <vector>

namespace hostile {

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

// A run-length coded 4-bit BMP of w x h stored top-down (its height
// negated) whose only code ends the picture at once: 118 bytes that Qt's
// reader fills out to the whole size.
inline QByteArray topDownBmp(qint32 w, qint32 h)
{
    QByteArray b(118, '\0');
    auto *d = reinterpret_cast<uchar *>(b.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(118, d + 2);
    qToLittleEndian<quint32>(114, d + 10);   // after 15 colours
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(-h, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(4, d + 28);
    qToLittleEndian<quint32>(2, d + 30);     // RLE4
    qToLittleEndian<quint32>(4, d + 34);
    qToLittleEndian<quint32>(15, d + 46);
    d[117] = 1;                               // 00 01: end of the picture
    return b;
}

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray c(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), c.data());
    c += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(damaged::pngCrc(type + data), crc.data());
    return c + crc;
}

// A blank 1-bit PNG of w x h, deflated as far as deflate goes (16000 x
// 16000 is 31 KB).
inline QByteArray blankOneBitPng(quint32 w, quint32 h)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(w, ihdr.data());
    qToBigEndian<quint32>(h, ihdr.data() + 4);
    ihdr[8] = 1;   // 1 bit a pixel, grey
    const QByteArray rows((1 + (qint64(w) + 7) / 8) * h, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr)
        + pngChunk("IDAT", qCompress(rows, 9).mid(4)) + pngChunk("IEND", {});
}

// An 8-bit grey TIFF of w x h whose strips of 100 rows all point at one
// deflated strip, padded to padTo bytes.
inline QByteArray sharedStripTiff(quint32 w, quint32 h, int padTo)
{
    const quint32 rows = 100, strips = (h + rows - 1) / rows;
    const QByteArray block = qCompress(QByteArray(qint64(w) * rows, '\0'), 9).mid(4);
    const quint32 entries = 10, lists = 8 + 2 + entries * 12 + 4;
    const quint32 counts = lists + 4 * strips, blockAt = counts + 4 * strips;
    QByteArray t("II*\0\x08\0\0\0", 8);
    auto put16 = [&](quint16 v) { t.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) { put16(quint16(v & 0xFFFF)); put16(quint16(v >> 16)); };
    auto entry = [&](quint16 tag, quint16 type, quint32 count, quint32 value) {
        put16(tag);
        put16(type);
        put32(count);
        put32(value);
    };
    put16(quint16(entries));
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    entry(258, 3, 1, 8);
    entry(259, 3, 1, 8);          // deflate
    entry(262, 3, 1, 1);          // black is zero
    entry(273, 4, strips, lists);
    entry(277, 3, 1, 1);
    entry(278, 4, 1, rows);
    entry(279, 4, strips, counts);
    entry(284, 3, 1, 1);
    put32(0);
    for (quint32 i = 0; i < strips; ++i)
        put32(blockAt);
    for (quint32 i = 0; i < strips; ++i)
        put32(quint32(block.size()));
    t += block;
    if (t.size() < padTo)
        t += QByteArray(padTo - t.size(), '\0');
    return t;
}

} // namespace hostile
