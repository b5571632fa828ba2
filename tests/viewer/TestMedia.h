#pragma once
// Pictures the viewer tests make for themselves at run time.
#include "PeakMemory.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "TodaysMedia.h"

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

// Every pixel unlike its neighbours, so that a turn, a shift or a blur shows.
inline QImage pattern(int w, int h, int seed = 0)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 4 + seed) % 256, (y * 5 + seed) % 256, (x ^ y) % 256));
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

using testpictures::near;

using testmemory::peakMemoryKb;

// Runs one of the tools that make the test files; why it failed goes to the log.
inline bool tool(const QString &program, const QStringList &args)
{
    QString error;
    const bool ok = todaysmedia::runTool(program, args, &error);
    if (!ok)
        qWarning("%s", qPrintable(error));
    return ok;
}

}
