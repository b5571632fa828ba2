#include "viewer/ScaleRule.h"

#include "core/Twips.h"

#include <algorithm>
#include <cmath>

namespace ScaleRule {

QSize scaledSize(const QSize &picture, const QSize &screen, int16_t scaleBig, int16_t scaleSmall)
{
    if (picture.isEmpty() || screen.isEmpty())
        return picture;
    const float SW = float(twips::fromPixels(screen.width()));
    const float SH = float(twips::fromPixels(screen.height()));
    const float W = float(twips::fromPixels(picture.width()));
    const float H = float(twips::fromPixels(picture.height()));

    const bool larger = W > SW || H > SH;
    const bool smaller = H < SH && W < SW;
    if (!((larger && scaleBig != 0) || (smaller && scaleSmall != 0)))
        return picture;

    const float rW = W / SW;
    const float rH = H / SH;
    const float r = rW > rH ? rW : rH;
    const float newW = W / r;
    const float newH = H / r;
    return QSize(std::max(1, twips::toPixels(newW)), std::max(1, twips::toPixels(newH)));
}

QImage resample(const QImage &source, const QSize &size)
{
    if (source.isNull() || size.isEmpty() || source.size() == size)
        return source;
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}
