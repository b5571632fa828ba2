#include "cd/Tmsf.h"

#include <QStringList>

namespace tmsf {

Msf toMsf(long sectors)
{
    if (sectors < 0)
        sectors = 0;
    Msf m;
    m.frames = int(sectors % FramesPerSecond);
    const long totalSeconds = sectors / FramesPerSecond;
    m.seconds = int(totalSeconds % 60);
    m.minutes = int(totalSeconds / 60);
    return m;
}

long toSectors(int minutes, int seconds, int frames)
{
    return (long(minutes) * 60 + seconds) * FramesPerSecond + frames;
}

static QString two(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

QString msfText(long sectors)
{
    const Msf m = toMsf(sectors);
    return two(m.minutes) + ':' + two(m.seconds) + ':' + two(m.frames);
}

QString tmsfText(int track, long sectorsIntoTrack)
{
    return two(track) + ':' + msfText(sectorsIntoTrack);
}

// Splits "a:b:c" into at most maxFields non-negative numbers.
static std::optional<QList<int>> fields(const QString &text, int maxFields)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.isEmpty() || parts.size() > maxFields)
        return std::nullopt;
    QList<int> values;
    for (const QString &p : parts) {
        if (p.isEmpty() || p.size() > 3)
            return std::nullopt;
        for (QChar c : p)
            if (!c.isDigit() || c.unicode() > '9')
                return std::nullopt;
        values.append(p.toInt());
    }
    while (values.size() < maxFields)
        values.append(0);
    return values;
}

std::optional<TmsfValue> parseTmsf(const QString &text)
{
    const auto f = fields(text, 4);
    if (!f || (*f)[2] > 59 || (*f)[3] >= FramesPerSecond)
        return std::nullopt;
    return TmsfValue{(*f)[0], (*f)[1], (*f)[2], (*f)[3]};
}

std::optional<long> parseMsf(const QString &text)
{
    const auto f = fields(text, 3);
    if (!f || (*f)[1] > 59 || (*f)[2] >= FramesPerSecond)
        return std::nullopt;
    return toSectors((*f)[0], (*f)[1], (*f)[2]);
}

} // namespace tmsf
