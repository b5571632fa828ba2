#pragma once
// Pictures the viewer tests make for themselves at run time.
#include "PeakMemory.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

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

inline QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

inline QByteArray jpegBytes(const QImage &image) { return encoded(image, "JPG", 90); }

using testfiles::writeFile;

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

using testpictures::near;

using testmemory::peakMemoryKb;

}
