// Pictures the tests make for themselves.
#pragma once

#include <QColor>
#include <QImage>

namespace testpictures {
// One colour all over, in the format every effect and loader hands back.
inline QImage solid(int w, int h, const QColor &colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Each channel within tolerance: for lossy formats and antialiased edges.
inline bool near(QRgb a, QRgb b, int tolerance = 40)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}
} // namespace testpictures
