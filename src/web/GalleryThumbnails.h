#pragma once
#include <QImage>
#include <QString>

// Thumbnails for the gallery page builder.

// Whether a file gets a thumbnail: the formats the thumbnail view shows as
// pictures (MediaFormats' PictureIcon rows), by extension, any letter case.
bool isThumbnailPicture(const QString &fileName);

// Thumbnail width from the typed text: the whole part of its leading number;
// no number or a value below 1 gives the usual 100, and the width is kept
// within 8 to 2000 pixels so that a typing slip cannot fill the disk.
int thumbnailWidth(const QString &text);

// The folder beside the page that holds its thumbnails ("Untitled.htm" gives
// "Untitled_thumbs"), and a picture's thumbnail name inside it.
QString thumbnailFolderName(const QString &pageFileName);
QString thumbnailFileName(const QString &pictureName);

// A thumbnail's size: the picture's proportions within the given width, and
// never larger than the picture (a 16 x 16 icon stays 16 x 16, a 1 x 118
// strip stays 1 x 118 rather than growing a hundredfold).
QSize thumbnailSize(const QSize &picture, int width);

// The picture at its thumbnail size; a null image when the file cannot be
// read as a picture.
QImage makeThumbnail(const QString &path, int width);
