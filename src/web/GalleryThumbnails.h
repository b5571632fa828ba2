#pragma once
#include <QImage>
#include <QString>

// Thumbnails for the gallery page builder.

// Whether a file gets a thumbnail: the kinds the thumbnail view shows as
// pictures (JPG, JPEG, BMP, GIF, ICO, PNG, WEBP, TIF, TIFF, SVG, HEIC, HEIF,
// AVIF), by extension, any letter case.
bool isThumbnailPicture(const QString &fileName);

// Thumbnail width from the typed text: the whole part of its leading number;
// no number or a value below 1 gives the usual 100, and the width is kept
// within 8 to 2000 pixels so that a typing slip cannot fill the disk.
int thumbnailWidth(const QString &text);

// The folder beside the page that holds its thumbnails ("Untitled.htm" gives
// "Untitled_thumbs"), and a picture's thumbnail name inside it.
QString thumbnailFolderName(const QString &pageFileName);
QString thumbnailFileName(const QString &pictureName);

// The picture scaled to the given width, keeping its proportions; a null
// image when the file cannot be read as a picture.
QImage makeThumbnail(const QString &path, int width);
