// A small DNG written from scratch: a preview in the first directory (8-bit
// RGB) and, in a sub-directory, linear sensor data (16-bit RGB) that libraw
// develops. Colours are chosen by the test, so it can tell the preview from
// the developed picture.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QtEndian>

#include <algorithm>

namespace dngwriter {

namespace detail {
struct Entry {
    quint16 tag, type;
    quint32 count;
    QByteArray value;   // its bytes; placed after the directory when over 4
};
inline QByteArray le16(quint16 v) { QByteArray b(2, 0); qToLittleEndian(v, b.data()); return b; }
inline QByteArray le32(quint32 v) { QByteArray b(4, 0); qToLittleEndian(v, b.data()); return b; }
inline Entry shorts(quint16 tag, QList<quint16> v)
{
    QByteArray b;
    for (quint16 x : v) b += le16(x);
    return {tag, 3, quint32(v.size()), b};
}
inline Entry longs(quint16 tag, QList<quint32> v, quint16 type = 4)
{
    QByteArray b;
    for (quint32 x : v) b += le32(x);
    const bool rational = type == 5 || type == 10;   // two longs a value
    return {tag, type, quint32(rational ? v.size() / 2 : v.size()), b};
}
// Sets the one-long value of tag in the directory at dir.
inline void patch(QByteArray &out, quint32 dir, quint16 tag, quint32 value)
{
    const int count = qFromLittleEndian<quint16>(out.constData() + dir);
    for (int i = 0; i < count; ++i)
        if (qFromLittleEndian<quint16>(out.constData() + dir + 2 + 12 * i) == tag)
            qToLittleEndian(value, out.data() + dir + 2 + 12 * i + 8);
}
inline Entry text(quint16 tag, const QByteArray &s) { return {tag, 2, quint32(s.size() + 1), s + '\0'}; }

// Writes a directory at out's end (values after it); returns its offset.
inline quint32 directory(QByteArray &out, QList<Entry> entries, quint32 next = 0)
{
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
    const quint32 at = quint32(out.size());
    quint32 extra = at + 2 + 12 * quint32(entries.size()) + 4;
    QByteArray tail;
    out += le16(quint16(entries.size()));
    for (const Entry &e : entries) {
        out += le16(e.tag) + le16(e.type) + le32(e.count);
        if (e.value.size() <= 4) {
            out += e.value + QByteArray(4 - e.value.size(), 0);
        } else {
            out += le32(extra + quint32(tail.size()));
            tail += e.value + QByteArray(e.value.size() & 1, 0);
        }
    }
    out += le32(next) + tail;
    return at;
}
} // namespace detail

// preview: shown before development; sensor: the linear picture (any size).
inline QByteArray dng(const QImage &preview, const QImage &sensor)
{
    using namespace detail;
    const QImage p = preview.convertToFormat(QImage::Format_RGB888);
    const QImage s = sensor.convertToFormat(QImage::Format_RGB888);
    QByteArray previewPixels, sensorPixels;
    for (int y = 0; y < p.height(); ++y)
        previewPixels += QByteArray(reinterpret_cast<const char *>(p.constScanLine(y)), p.width() * 3);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width() * 3; ++x)
            sensorPixels += le16(quint16(s.constScanLine(y)[x] * 257));

    // The first directory right after the header, as cameras write it:
    // programs find a camera's file by it.
    QByteArray out = QByteArray("II*\0", 4) + le32(8);
    const quint32 first = directory(out, {
        longs(254, {1}), longs(256, {quint32(p.width())}), longs(257, {quint32(p.height())}),
        shorts(258, {8, 8, 8}), shorts(259, {1}), shorts(262, {2}), text(271, "Glintcam"), text(272, "GC-7"),
        longs(273, {0}), shorts(274, {1}), shorts(277, {3}), longs(278, {quint32(p.height())}),
        longs(279, {quint32(previewPixels.size())}), shorts(284, {1}), longs(330, {0}),
        {50706, 1, 4, QByteArray("\x01\x04\x00\x00", 4)}, text(50708, "Glintcam GC-7"),
        // Identity colour matrix, neutral white, D65.
        longs(50721, {1, 1, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 1, 1}, 10),
        longs(50728, {1, 1, 1, 1, 1, 1}, 5), shorts(50778, {21})});
    const quint32 rawDir = directory(out, {
        longs(254, {0}), longs(256, {quint32(s.width())}), longs(257, {quint32(s.height())}),
        shorts(258, {16, 16, 16}), shorts(259, {1}), shorts(262, {34892}), longs(273, {0}),
        shorts(277, {3}), longs(278, {quint32(s.height())}), longs(279, {quint32(sensorPixels.size())}),
        shorts(284, {1}), longs(50714, {0}), longs(50717, {65535})});
    patch(out, first, 330, rawDir);
    patch(out, first, 273, quint32(out.size()));
    out += previewPixels;
    patch(out, rawDir, 273, quint32(out.size()));
    out += sensorPixels;
    return out;
}

} // namespace dngwriter
