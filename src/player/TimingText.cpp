#include "player/TimingText.h"

static QString clockText(qint64 ms, bool withHours)
{
    if (ms < 0)
        ms = 0;
    const qint64 total = ms / 1000;
    const qint64 h = total / 3600, m = (total / 60) % 60, s = total % 60;
    if (withHours)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(total / 60).arg(s, 2, 10, QLatin1Char('0'));
}

QString timingText(qint64 positionMs, qint64 durationMs)
{
    // Both parts use the same form so that the two columns line up.
    const bool hours = qMax(positionMs, durationMs) >= 3600 * 1000;
    if (durationMs <= 0)
        return clockText(positionMs, hours);
    return clockText(positionMs, hours) + QStringLiteral(" / ") + clockText(durationMs, hours);
}
