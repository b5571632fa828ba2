#include "browser/MediaTypes.h"

QString ExtensionKey(const QString &name)
{
    const QString tail = name.right(5);
    const int dot = tail.indexOf('.');
    return (dot < 0 ? tail : tail.mid(dot + 1)).toUpper();
}

MediaKind mediaKindOf(const QString &key)
{
    const MediaFormats::Format *f = MediaFormats::find(key);
    return f ? f->kind : MediaKind::Other;
}

int thumbnailSourceOf(const QString &key)
{
    const MediaFormats::Format *f = MediaFormats::find(key);
    return f ? f->icon : MediaFormats::OtherIcon;
}
