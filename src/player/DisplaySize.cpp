#include "player/DisplaySize.h"

#include <cmath>

namespace displaysize {

QStringList names()
{
    return {QStringLiteral("Original"),   QStringLiteral("Half Size"),
            QStringLiteral("Double Size"), QStringLiteral("Full Screen"),
            QStringLiteral("1/9 Screen"),  QStringLiteral("1/16 Screen"),
            QStringLiteral("1/4 Screen"),  QStringLiteral("1/2 Screen")};
}

int normalised(int mode)
{
    return (mode >= 0 && mode < Count) ? mode : Original;
}

bool dependsOnClip(int mode)
{
    mode = normalised(mode);
    return mode == Original || mode == HalfSize || mode == DoubleSize;
}

static QSize scaled(QSize s, double factor)
{
    return QSize(int(std::lround(s.width() * factor)), int(std::lround(s.height() * factor)));
}

QSize videoArea(int mode, QSize clip, QSize screen)
{
    switch (normalised(mode)) {
    case Original:
        return clip.isValid() ? clip : QSize();
    case HalfSize:
        // Never collapse a tiny clip to nothing.
        return clip.isValid() ? scaled(clip, 0.5).expandedTo(QSize(1, 1)) : QSize();
    case DoubleSize:
        return clip.isValid() ? scaled(clip, 2.0) : QSize();
    case FullScreen:
        return screen;
    case NinthScreen:
        return scaled(screen, 1.0 / 3.0);
    case SixteenthScreen:
        return scaled(screen, 0.25);
    case QuarterScreen:
        return scaled(screen, 0.5);
    case HalfScreen:
        return scaled(screen, std::sqrt(0.5));
    }
    return QSize();
}

}
