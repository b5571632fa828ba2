#include "core/MediaFormats.h"

#include <QHash>

namespace MediaFormats {

namespace {
using K = MediaKind;
// The classic types first, then today's formats, each in the order its type
// box shows them.
const QList<Format> Table = {
    {"JPG", K::Picture, PictureIcon, 3, "image/jpeg"},
    {"JPEG", K::Picture, PictureIcon, 3, "image/jpeg"},
    {"BMP", K::Picture, PictureIcon, 6, "image/bmp"},
    {"GIF", K::Picture, PictureIcon, 2, "image/gif"},
    {"ICO", K::Picture, PictureIcon, 13, "image/vnd.microsoft.icon"},
    // Metafiles open in the viewer but are not drawn for a thumbnail.
    {"WMF", K::Picture, OtherIcon, 15, "image/wmf"},
    {"TXT", K::Text, TextIcon, 9, "text/plain"},
    {"HTM", K::WebPage, WebPageIcon, 10, "text/html"},
    {"HTML", K::WebPage, WebPageIcon, 10, "text/html"},
    {"MP3", K::Audio, AudioIcon, 4, "audio/mpeg"},
    {"WAV", K::Audio, AudioIcon, 7, "audio/x-wav"},
    {"MID", K::Audio, AudioIcon, 8, "audio/midi"},
    {"MIDI", K::Audio, AudioIcon, 8, "audio/midi"},
    {"AU", K::Audio, AudioIcon, 12, "audio/basic"},
    // A CD track's shortcut: played, but no box lists it and it has no type
    // of its own to offer Glintwave for.
    {"CDA", K::Audio, OtherIcon, -1, ""},
    {"MPG", K::Video, VideoIcon, 5, "video/mpeg"},
    {"MPEG", K::Video, VideoIcon, 5, "video/mpeg"},
    {"AVI", K::Video, VideoIcon, 1, "video/x-msvideo"},
    {"ASF", K::Video, VideoIcon, 11, "application/vnd.ms-asf"},
    {"SWF", K::Flash, FlashIcon, 14, "application/vnd.adobe.flash.movie"},
    {"PNG", K::Picture, PictureIcon, 16, "image/png"},
    {"WEBP", K::Picture, PictureIcon, 16, "image/webp"},
    {"TIF", K::Picture, PictureIcon, 16, "image/tiff"},
    {"TIFF", K::Picture, PictureIcon, 16, "image/tiff"},
    {"SVG", K::Picture, PictureIcon, 16, "image/svg+xml"},
    {"HEIC", K::Picture, PictureIcon, 16, "image/heif"},
    {"HEIF", K::Picture, PictureIcon, 16, "image/heif"},
    {"AVIF", K::Picture, PictureIcon, 16, "image/avif"},
    {"JXL", K::Picture, PictureIcon, 16, "image/jxl"},
    // Camera RAW, in a box of their own on the Picture page.
    {"DNG", K::Picture, PictureIcon, 19, "image/x-adobe-dng"},
    {"CR2", K::Picture, PictureIcon, 19, "image/x-canon-cr2"},
    {"CR3", K::Picture, PictureIcon, 19, "image/x-canon-cr3"},
    {"NEF", K::Picture, PictureIcon, 19, "image/x-nikon-nef"},
    {"ARW", K::Picture, PictureIcon, 19, "image/x-sony-arw"},
    {"ORF", K::Picture, PictureIcon, 19, "image/x-olympus-orf"},
    {"RAF", K::Picture, PictureIcon, 19, "image/x-fuji-raf"},
    {"RW2", K::Picture, PictureIcon, 19, "image/x-panasonic-rw2"},
    {"OGG", K::Audio, AudioIcon, 17, "audio/ogg"},
    {"OGA", K::Audio, AudioIcon, 17, "audio/ogg"},
    {"OPUS", K::Audio, AudioIcon, 17, "audio/ogg"},
    {"FLAC", K::Audio, AudioIcon, 17, "audio/flac"},
    {"M4A", K::Audio, AudioIcon, 17, "audio/mp4"},
    {"AAC", K::Audio, AudioIcon, 17, "audio/aac"},
    {"MP4", K::Video, VideoIcon, 18, "video/mp4"},
    {"M4V", K::Video, VideoIcon, 18, "video/mp4"},
    {"MKV", K::Video, VideoIcon, 18, "video/x-matroska"},
    {"WEBM", K::Video, VideoIcon, 18, "video/webm"},
    {"MOV", K::Video, VideoIcon, 18, "video/quicktime"},
    {"OGV", K::Video, VideoIcon, 18, "video/ogg"},
};
} // namespace

const QList<Format> &all() { return Table; }

const Format *find(const QString &extensionKey)
{
    static const QHash<QString, const Format *> byKey = [] {
        QHash<QString, const Format *> map;
        for (const Format &f : Table)
            map.insert(QString::fromLatin1(f.extension), &f);
        return map;
    }();
    return byKey.value(extensionKey, nullptr);
}

QStringList extensionsInBox(int box)
{
    QStringList list;
    for (const Format &f : Table)
        if (f.box == box)
            list << QString::fromLatin1(f.extension);
    return list;
}

QStringList claimedMimeTypes()
{
    QStringList list;
    for (const Format &f : Table)
        if ((f.kind == K::Picture || f.kind == K::Audio || f.kind == K::Video) && *f.mime
            && !list.contains(QLatin1String(f.mime)))
            list << QString::fromLatin1(f.mime);
    return list;
}

}
