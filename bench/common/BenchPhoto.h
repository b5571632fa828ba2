#pragma once
#include <QImage>

// A photo-like picture: smooth gradients with some texture, so that the JPEG
// is of ordinary size and cost to decode.
inline QImage photo(int w, int h, int seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int noise = ((x * 7919 + y * 104729 + seed * 31) >> 3) & 31;
            line[x] = qRgb(int((qint64(x) * 255 / w + noise + seed * 40) & 255),
                           int((qint64(y) * 255 / h + noise) & 255),
                           int((qint64(x + y) * 255 / (w + h) + seed * 17) & 255));
        }
    }
    return image;
}
