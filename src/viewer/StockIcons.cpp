#include "viewer/StockIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Everything is drawn on a 64-unit grid and scaled to the wanted size.
void page(QPainter &p, const QColor &fill)
{
    QPainterPath sheet;
    sheet.moveTo(14, 4);
    sheet.lineTo(40, 4);
    sheet.lineTo(52, 16);
    sheet.lineTo(52, 60);
    sheet.lineTo(14, 60);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(fill);
    p.drawPath(sheet);
    p.setBrush(QColor(210, 210, 210));
    QPainterPath fold;
    fold.moveTo(40, 4);
    fold.lineTo(40, 16);
    fold.lineTo(52, 16);
    fold.closeSubpath();
    p.drawPath(fold);
}

void drawOther(QPainter &p)
{
    page(p, Qt::white);
    QFont f;
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(90, 90, 90));
    p.drawText(QRectF(14, 16, 38, 40), Qt::AlignCenter, QStringLiteral("?"));
}

void drawVideo(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(4, 10, 56, 44), 4, 4);
    p.setBrush(Qt::white);
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(8 + i * 9, 13, 5, 5));
        p.drawRect(QRectF(8 + i * 9, 46, 5, 5));
    }
    p.setBrush(QColor(90, 160, 230));
    p.drawRect(QRectF(8, 21, 48, 22));
    p.setBrush(Qt::white);
    QPolygonF play;
    play << QPointF(27, 25) << QPointF(39, 32) << QPointF(27, 39);
    p.drawPolygon(play);
}

void drawAudio(QPainter &p)
{
    const QColor ink(40, 70, 160);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(10, 42, 16, 12));
    p.drawEllipse(QRectF(36, 36, 16, 12));
    p.setPen(QPen(ink, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(24, 48), QPointF(24, 12));
    p.drawLine(QPointF(50, 42), QPointF(50, 6));
    p.setPen(Qt::NoPen);
    QPolygonF beam;
    beam << QPointF(22, 10) << QPointF(52, 4) << QPointF(52, 13) << QPointF(22, 19);
    p.drawPolygon(beam);
}

void drawText(QPainter &p)
{
    page(p, Qt::white);
    p.setPen(QPen(QColor(70, 70, 70), 2.5, Qt::SolidLine, Qt::FlatCap));
    const int ends[] = {46, 38, 46, 44, 30};
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(20, 24 + i * 7), QPointF(ends[i], 24 + i * 7));
}

void drawWebPage(QPainter &p)
{
    const QRectF globe(6, 6, 52, 52);
    p.setPen(QPen(QColor(20, 90, 60), 2.5));
    p.setBrush(QColor(120, 200, 230));
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(20, 6, 24, 52));
    p.drawLine(QPointF(32, 6), QPointF(32, 58));
    p.drawLine(QPointF(6, 32), QPointF(58, 32));
    p.drawLine(QPointF(10, 19), QPointF(54, 19));
    p.drawLine(QPointF(10, 45), QPointF(54, 45));
}

void drawFlash(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    QPolygonF bolt;
    bolt << QPointF(36, 8) << QPointF(18, 36) << QPointF(30, 36) << QPointF(24, 56)
         << QPointF(46, 26) << QPointF(33, 26) << QPointF(42, 8);
    p.setBrush(QColor(255, 220, 60));
    p.drawPolygon(bolt);
}

} // namespace

namespace StockIcons {

QImage icon(int number, int size)
{
    if (number < 1 || number > Count || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(size / 64.0, size / 64.0);
    switch (number) {
    case 1: drawOther(p); break;
    case 2: drawVideo(p); break;
    case 3: drawAudio(p); break;
    case 4: drawText(p); break;
    case 5: drawWebPage(p); break;
    case 6: drawFlash(p); break;
    }
    return image;
}

}
