#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// How the viewer opens a file.
enum class MediaKind { Picture, WebPage, Video, Audio, Flash, Text, Other };

// Every file type Glintwave knows by name, in one table: adding a format is
// adding a row. The listing's patterns, the kinds, the thumbnails, the gallery,
// the type boxes and the desktop entry's MIME list all come from here.
namespace MediaFormats {

// The thumbnail view's source for a file: the picture itself, or a stock icon.
enum Icon { PictureIcon = 0, OtherIcon = 1, VideoIcon = 2, AudioIcon = 3, TextIcon = 4, WebPageIcon = 5,
            FlashIcon = 6 };

struct Format {
    const char *extension;   // upper case, as ExtensionKey gives it
    MediaKind kind;
    Icon icon;
    int box;                 // the type box listing it; -1 none
    const char *mime;        // the file's MIME type as the desktop names it; "" none
};

// The rows in table order: within a type box, the order of its caption.
const QList<Format> &all();
// The row of this extension key, or null.
const Format *find(const QString &extensionKey);
// The extensions a type box lists, in table order.
QStringList extensionsInBox(int box);
// The MIME types the desktop entry claims, each once, in table order: those of
// pictures, audio and video. Text and web pages have better programs of their
// own, and Flash movies play only with the separate Flash player package, so
// a fresh desktop must not pick Glintwave for them.
QStringList claimedMimeTypes();

}
