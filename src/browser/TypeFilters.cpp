#include "TypeFilters.h"

#include "FilePattern.h"

namespace TypeFilters {

namespace {
const char *const Captions[BoxCount] = {
    "All Files", "*.AVI", "*.GIF", "*.JPG;*.JPEG", "*.MP3", "*.MPG;*.MPEG", "*.BMP", "*.WAV",
    "*.MID;*.MIDI", "*.TXT", "*.HTM;*.HTML", "*.ASF", "*.AU", "*.ICO", "*.SWF", "*.WMF"};
const int Pages[BoxCount] = {-1, 1, 2, 2, 0, 1, 2, 0, 0, 3, 3, 1, 0, 2, 1, 2};
// Each page lists its boxes in this order (by caption).
const QList<int> PageBoxes[4] = {{12, 4, 8, 7}, {11, 1, 5, 14}, {6, 2, 13, 3, 15}, {10, 9}};
} // namespace

const char *const TabCaptions[4] = {"Audio", "Video", "Picture", "Text"};

QString caption(int box) { return QString::fromLatin1(Captions[box]); }
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
    for (int i = 0; i < BoxCount && i < text.size(); ++i)
        ticks[i] = text[i].isDigit() && text[i].digitValue() == 1;
    return ticks;
}

} // namespace TypeFilters
