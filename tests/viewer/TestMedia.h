#pragma once
// Pictures the viewer tests make for themselves at run time.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QtEndian>

namespace testmedia {

// Left half red, right half blue: shows which way a picture was turned.
inline QImage halves(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
    }
    return image;
}

inline QByteArray jpegBytes(const QImage &image, int quality = 90)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Inserts an EXIF block holding only an orientation tag right after SOI.
inline QByteArray withExifOrientation(const QByteArray &jpeg, quint16 orientation)
{
    QByteArray tiff("II*\0", 4);
    auto put16 = [](QByteArray &b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](QByteArray &b, quint32 v) { put16(b, quint16(v)); put16(b, quint16(v >> 16)); };
    put32(tiff, 8);          // first directory
    put16(tiff, 1);          // one entry
    put16(tiff, 0x0112);     // Orientation
    put16(tiff, 3);          // SHORT
    put32(tiff, 1);
    put16(tiff, orientation);
    put16(tiff, 0);
    put32(tiff, 0);          // no next directory
    QByteArray app1("Exif\0\0", 6);
    app1.append(tiff);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((app1.size() + 2) >> 8)).append(char((app1.size() + 2) & 0xFF));
    segment.append(app1);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Rewrites the frame header so that it claims another size (no pixels added).
inline QByteArray withJpegSize(QByteArray jpeg, quint16 width, quint16 height)
{
    for (int i = 2; i + 9 < jpeg.size(); ++i) {
        const uchar m = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC1 || m == 0xC2)) {
            qToBigEndian<quint16>(height, jpeg.data() + i + 5);
            qToBigEndian<quint16>(width, jpeg.data() + i + 7);
            return jpeg;
        }
    }
    return {};
}

inline QString tool(const QString &name) { return QStandardPaths::findExecutable(name); }

// Runs ImageMagick's convert; false when it is missing or fails.
inline bool convert(const QStringList &args)
{
    const QString exe = tool(QStringLiteral("convert"));
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.start(exe, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Peak resident memory of this process in kB.
inline qint64 peakMemoryKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

}
