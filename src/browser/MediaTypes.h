#pragma once
#include "core/MediaFormats.h"

#include <QString>

// Every decision about a file by its type rests on the extension key.

// The upper-cased text after the first "." within the name's last five
// characters (all five when there is none). "a.b.au" gives "B.AU".
QString ExtensionKey(const QString &name);

// How the viewer opens a file of this key.
MediaKind mediaKindOf(const QString &extensionKey);

// The thumbnail view: 0 for a picture loaded from the file, else the stock
// icon 1 other, 2 video, 3 audio, 4 text, 5 web page, 6 Flash movie.
int thumbnailSourceOf(const QString &extensionKey);
