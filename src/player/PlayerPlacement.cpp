#include "player/PlayerPlacement.h"

#include "player/DisplaySize.h"
#include "core/Twips.h"

namespace playerplacement {

QRectF centredTwips(QSizeF size, QSizeF screen)
{
    return QRectF((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2,
                  size.width(), size.height());
}

QRectF videoTwips(QSizeF player, QSizeF screen, int videoSize)
{
    QRectF r = centredTwips(player, screen);
    if (videoSize == displaysize::NinthScreen)
        r.setSize(QSizeF(screen.width() / 3, screen.height() / 3));
    return r;
}

QRectF audioTwips(double playerHeight, QSizeF screen)
{
    return QRectF(0, screen.height() - playerHeight, screen.width(), playerHeight);
}

QRect flashPixels(QSizeF screenTwips)
{
    const int w = twips::toPixels(screenTwips.width());
    const int h = twips::toPixels(screenTwips.height());
    return QRect(5, 5, qMax(0, w - 10), qMax(0, h - 10));
}

}
