#include "cd/ui/CdIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

static QPixmap draw(CdIcon which, const QColor &ink, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);   // drawn on a 24-unit grid
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](QPointF a, QPointF b, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (which) {
    case CdIcon::Play:
        triangle({7, 4}, {20, 12}, {7, 20});
        break;
    case CdIcon::Pause:
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
        break;
    case CdIcon::Stop:
        p.drawRect(QRectF(6, 6, 12, 12));
        break;
    case CdIcon::Previous:
        p.drawRect(QRectF(5, 6, 3, 12));
        triangle({19, 6}, {9, 12}, {19, 18});
        break;
    case CdIcon::Next:
        triangle({5, 6}, {15, 12}, {5, 18});
        p.drawRect(QRectF(16, 6, 3, 12));
        break;
    case CdIcon::Eject:
        triangle({4, 14}, {12, 5}, {20, 14});
        p.drawRect(QRectF(4, 16, 16, 3));
        break;
    }
    return pm;
}

QIcon cdIcon(CdIcon which)
{
    QIcon icon;
    for (int size : {24, 48}) {
        icon.addPixmap(draw(which, QColor(32, 32, 32), size), QIcon::Normal);
        icon.addPixmap(draw(which, QColor(160, 160, 160), size), QIcon::Disabled);
    }
    return icon;
}
