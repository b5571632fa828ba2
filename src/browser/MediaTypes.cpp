#include "MediaTypes.h"

#include <QHash>

QString ExtensionKey(const QString &name)
{
    const QString tail = name.right(5);
    const int dot = tail.indexOf('.');
    return (dot < 0 ? tail : tail.mid(dot + 1)).toUpper();
}

MediaKind mediaKindOf(const QString &key)
{
    static const QHash<QString, MediaKind> table = {
        {"JPG", MediaKind::Picture}, {"JPEG", MediaKind::Picture}, {"BMP", MediaKind::Picture},
        {"GIF", MediaKind::Picture}, {"ICO", MediaKind::Picture},  {"WMF", MediaKind::Picture},
        {"HTM", MediaKind::WebPage}, {"HTML", MediaKind::WebPage},
        {"MPG", MediaKind::Video},   {"MPEG", MediaKind::Video},   {"AVI", MediaKind::Video},
        {"ASF", MediaKind::Video},
        {"MP3", MediaKind::Audio},   {"WAV", MediaKind::Audio},    {"MID", MediaKind::Audio},
        {"MIDI", MediaKind::Audio},  {"CDA", MediaKind::Audio},    {"AU", MediaKind::Audio},
        {"SWF", MediaKind::Flash},   {"TXT", MediaKind::Text},
    };
    return table.value(key, MediaKind::Other);
}

int thumbnailSourceOf(const QString &key)
{
    // Differs from the viewer's table: WMF and CDA get the "other" icon.
    static const QHash<QString, int> table = {
        {"JPG", 0}, {"BMP", 0}, {"GIF", 0}, {"JPEG", 0}, {"ICO", 0},
        {"WAV", 3}, {"MID", 3}, {"MIDI", 3}, {"MP3", 3}, {"AU", 3},
        {"TXT", 4},
        {"AVI", 2}, {"MPG", 2}, {"MPEG", 2}, {"ASF", 2},
        {"HTM", 5}, {"HTML", 5},
        {"SWF", 6},
    };
    return table.value(key, 1);
}
