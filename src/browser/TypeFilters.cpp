#include "browser/TypeFilters.h"

#include "browser/FilePattern.h"
#include "core/MediaFormats.h"

namespace TypeFilters {

namespace {
const int Pages[BoxCount] = {-1, 1, 2, 2, 0, 1, 2, 0, 0, 3, 3, 1, 0, 2, 1, 2, 2, 0, 1, 2};
// Each page lists its boxes in this order: the classic ones by caption,
// then the boxes of today's formats.
const QList<int> PageBoxes[4] = {{12, 4, 8, 7, 17}, {11, 1, 5, 14, 18}, {6, 2, 13, 3, 15, 16, 19}, {10, 9}};
} // namespace

const char *const TabCaptions[4] = {"Audio", "Video", "Picture", "Text"};

QString caption(int box)
{
    if (box == 0)
        return QStringLiteral("All Files");
    QStringList patterns = MediaFormats::extensionsInBox(box);
    for (QString &p : patterns)
        p.prepend(QLatin1String("*."));
    return patterns.join(';');
}
QString label(int box)
{
    if (box < ClassicBoxCount || box >= BoxCount)
        return caption(box);
    return QString::fromLatin1(box == BoxCount - 1 ? "Camera RAW" : "New kinds");
}

int pageOf(int box) { return Pages[box]; }
QList<int> boxesOnPage(int page) { return PageBoxes[page]; }

QString patternFromBoxes(const Ticks &ticks)
{
    QString pattern = "*.*";
    for (int i = 1; i < BoxCount; ++i)
        if (ticks[i])
            pattern += ";" + caption(i);
    return pattern.mid(4);
}

QString patternWithCustom(const Ticks &ticks, const QString &custom)
{
    const QString base = patternFromBoxes(ticks);
    if (custom.isEmpty())
        return base;
    const QString combined = base + ";" + custom;
    return FilePattern::isAcceptable(combined) ? combined : base;
}

QString toFilterText(const Ticks &ticks)
{
    QString text;
    for (bool t : ticks)
        text += t ? '1' : '0';
    return text;
}

Ticks fromFilterText(const QString &text)
{
    Ticks ticks{};
    for (int i = 0; i < BoxCount; ++i)
        ticks[i] = i < text.size() ? text[i].isDigit() && text[i].digitValue() == 1
                                   : i >= ClassicBoxCount;
    return ticks;
}

} // namespace TypeFilters
