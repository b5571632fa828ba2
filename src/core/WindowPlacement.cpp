#include "core/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QRect screenFor(const QRect &stored, const QList<QRect> &available)
{
    if (available.isEmpty())
        return QRect();
    for (const QRect &area : available)
        if (area.contains(stored.center()))
            return area;
    QRect best = available.first();
    qint64 bestOverlap = 0;
    for (const QRect &area : available) {
        const QRect common = area.intersected(stored);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = area;
        }
    }
    return best;
}

QRect reachable(const QRect &stored, const QRect &available, const QSize &minimum)
{
    if (available.isEmpty())
        return stored;
    const int width = std::max(minimum.width(), std::min(stored.width(), available.width()));
    const int height = std::max(minimum.height(), std::min(stored.height(), available.height()));
    // A window larger than the area keeps its top-left corner on it, where
    // the title bar is.
    const int left = std::max(available.left(), std::min(stored.left(), available.right() + 1 - width));
    const int top = std::max(available.top(), std::min(stored.top(), available.bottom() + 1 - height));
    return QRect(left, top, width, height);
}

} // namespace WindowPlacement
