#include "viewer/PictureSurface.h"

#include <QPainter>

#include <algorithm>

namespace Surface {

int32_t toBgr(QRgb rgb)
{
    return int32_t((qBlue(rgb) << 16) | (qGreen(rgb) << 8) | qRed(rgb));
}

QRgb fromBgr(int32_t colour)
{
    const uint32_t c = uint32_t(colour);
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

int32_t GetPixel(const QImage &image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return InvalidColour;
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return toBgr(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]);
    return toBgr(image.pixel(x, y));
}

void SetPixelV(QImage &image, int x, int y, int32_t colour)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return;
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        reinterpret_cast<QRgb *>(image.scanLine(y))[x] = fromBgr(colour);
    else
        image.setPixel(x, y, fromBgr(colour));
}

void PaintPicture(QImage &dest, const QImage &source, int x1, int y1, int w1, int h1, int x2, int y2,
                  int w2, int h2)
{
    if (dest.isNull() || source.isNull() || w1 == 0 || h1 == 0)
        return;
    if (w2 == 0 && h2 == 0) {
        w2 = source.width();
        h2 = source.height();
    }
    if (w2 == 0 || h2 == 0)
        return;
    bool mirrorX = (w1 < 0) != (w2 < 0);
    bool mirrorY = (h1 < 0) != (h2 < 0);
    const QRect from = QRect(w2 < 0 ? x2 + w2 : x2, h2 < 0 ? y2 + h2 : y2, std::abs(w2), std::abs(h2));
    const QRect to(w1 < 0 ? x1 + w1 : x1, h1 < 0 ? y1 + h1 : y1, std::abs(w1), std::abs(h1));
    QImage piece = source.copy(from);   // parts outside the source come out black
    if (mirrorX || mirrorY)
        piece = piece.mirrored(mirrorX, mirrorY);
    QPainter painter(&dest);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(to, piece);
}

void FillBox(QImage &image, const QRect &rect, int32_t colour, int drawMode)
{
    const QRect area = rect.normalized().intersected(image.rect());
    if (area.isEmpty())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb pen = fromBgr(colour) & 0x00FFFFFFu;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb d = line[x] & 0x00FFFFFFu;
            QRgb out;
            switch (drawMode) {
            case Invert: out = ~d; break;
            case XorPen: out = d ^ pen; break;
            case MaskPen: out = d & pen; break;
            case MergePen: out = d | pen; break;
            default: out = pen; break;
            }
            line[x] = 0xFF000000u | (out & 0x00FFFFFFu);
        }
    }
}

QImage EmptyPicture(const QSize &size, int32_t backColour)
{
    QImage image(size, QImage::Format_RGB32);
    if (!image.isNull())
        image.fill(fromBgr(backColour));
    return image;
}

}
