#include "browser/ContentKind.h"

#include <QMimeDatabase>

namespace ContentKind {

namespace {
bool playable(MediaKind kind)
{
    return kind == MediaKind::Picture || kind == MediaKind::Audio || kind == MediaKind::Video;
}

MediaKind kindOfMediaName(const QString &mimeName)
{
    if (mimeName.startsWith(QLatin1String("image/")))
        return MediaKind::Picture;
    if (mimeName.startsWith(QLatin1String("audio/")))
        return MediaKind::Audio;
    if (mimeName.startsWith(QLatin1String("video/")))
        return MediaKind::Video;
    return MediaKind::Other;
}

bool looksInside(MediaKind byName)
{
    return byName == MediaKind::Text || byName == MediaKind::Other;
}
} // namespace

MediaKind sniff(const QString &path)
{
    // The magic rules alone: the name must not vote, or "x.txt" would stay
    // text whatever it holds.
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(path, QMimeDatabase::MatchContent);
    // A type counts when one of its usual extensions is one we play: the
    // formats known by content are exactly the formats known by name.
    QStringList suffixes = type.suffixes();
    // Matroska's magic names only the container, which has no extension.
    if (type.name() == QLatin1String("application/x-matroska"))
        suffixes << QStringLiteral("mkv");
    for (const QString &suffix : suffixes) {
        const MediaKind kind = mediaKindOf(suffix.toUpper());
        if (!playable(kind))
            continue;
        // The type's own media name decides between kinds sharing an
        // extension: Theora video in Ogg is video though ".ogg" is audio.
        const MediaKind named = kindOfMediaName(type.name());
        return playable(named) ? named : kind;
    }
    return MediaKind::Other;
}

bool knownByName(const QString &name) { return !looksInside(mediaKindOf(ExtensionKey(name))); }

MediaKind mediaKindOfFile(const QString &path) { return mediaKindOfFile(path, path); }

MediaKind mediaKindOfFile(const QString &name, const QString &path)
{
    const MediaKind byName = mediaKindOf(ExtensionKey(name));
    if (!looksInside(byName))
        return byName;
    const MediaKind byContent = sniff(path);
    return playable(byContent) ? byContent : byName;
}

int thumbnailSourceOfFile(const QString &path) { return thumbnailSourceOfFile(path, path); }

int thumbnailSourceOfFile(const QString &name, const QString &path)
{
    const QString key = ExtensionKey(name);
    if (!looksInside(mediaKindOf(key)))
        return thumbnailSourceOf(key);
    switch (sniff(path)) {
    case MediaKind::Picture: return MediaFormats::PictureIcon;
    case MediaKind::Audio: return MediaFormats::AudioIcon;
    case MediaKind::Video: return MediaFormats::VideoIcon;
    default: return thumbnailSourceOf(key);
    }
}

}
