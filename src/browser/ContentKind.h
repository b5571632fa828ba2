#pragma once
#include "browser/MediaTypes.h"
#include <QString>

// Files known by their content. The extension tables decide first; only a
// file they would open as text or not at all is looked into, and it becomes
// a picture, audio or video file when its first bytes say it is one of the
// formats those tables already play. A PNG saved without an extension, or a
// clip named ".txt", opens as what it is; a real text file stays text.
namespace ContentKind {

// Picture, Audio or Video by the file's bytes alone; Other for anything
// else (text, unknown, unreadable, Flash, web pages).
MediaKind sniff(const QString &path);

// How the viewer opens the file at path: the show-media table, then the
// content where that table says Text or Other.
MediaKind mediaKindOfFile(const QString &path);
// The same for a file whose name (for its extension) is not the path that
// reaches it (a name that is not valid UTF-8, opened through its bytes).
MediaKind mediaKindOfFile(const QString &name, const QString &path);

// True when the name alone decides what the file is: nothing to look into.
bool knownByName(const QString &name);

// The thumbnail source (0 the picture, else a stock icon) for the file:
// the thumbnail table, then, where the show-media table says Text or Other,
// the content: 0 for a picture, 3 for audio, 2 for video.
int thumbnailSourceOfFile(const QString &path);
int thumbnailSourceOfFile(const QString &name, const QString &path);

}
