#include "browser/MediaTypes.h"

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
        // Today's formats, each beside the older ones of its kind.
        {"PNG", MediaKind::Picture}, {"WEBP", MediaKind::Picture}, {"TIF", MediaKind::Picture},
        {"TIFF", MediaKind::Picture}, {"SVG", MediaKind::Picture}, {"HEIC", MediaKind::Picture},
        {"HEIF", MediaKind::Picture}, {"AVIF", MediaKind::Picture},
        {"OGG", MediaKind::Audio},   {"OGA", MediaKind::Audio},    {"OPUS", MediaKind::Audio},
        {"FLAC", MediaKind::Audio},  {"M4A", MediaKind::Audio},    {"AAC", MediaKind::Audio},
        {"MP4", MediaKind::Video},   {"M4V", MediaKind::Video},    {"MKV", MediaKind::Video},
        {"WEBM", MediaKind::Video},  {"MOV", MediaKind::Video},    {"OGV", MediaKind::Video},
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
        {"PNG", 0}, {"WEBP", 0}, {"TIF", 0}, {"TIFF", 0}, {"SVG", 0}, {"HEIC", 0}, {"HEIF", 0},
        {"AVIF", 0},
        {"OGG", 3}, {"OGA", 3}, {"OPUS", 3}, {"FLAC", 3}, {"M4A", 3}, {"AAC", 3},
        {"MP4", 2}, {"M4V", 2}, {"MKV", 2}, {"WEBM", 2}, {"MOV", 2}, {"OGV", 2},
    };
    return table.value(key, 1);
}
