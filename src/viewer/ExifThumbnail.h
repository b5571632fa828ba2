#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>

class QIODevice;

// The small picture a camera stores in a JPEG's EXIF, standing in for the
// picture where a thumbnail is wanted: read in a few milliseconds, where
// decoding a 24 MP photo even at an eighth of its size takes far longer.
// It stands in only when it is the picture's own: as large as the size
// wanted, of the picture's proportions, and not left behind by a program
// that changed the picture after it was taken.
namespace exifthumbnail {

// Cameras store 160 x 120; anything far larger is not a thumbnail.
constexpr int LargestSide = 1024;

struct Found {
    QByteArray jpeg;      // the thumbnail's own JPEG, empty when there is none
    bool fresh = false;   // the picture was not changed after it was taken
};

// Reads the EXIF at the start of a JPEG file, leaving the file where it was.
Found read(QIODevice &file);

// The thumbnail as stored (turned is whether the picture is turned a
// quarter to stand upright) when it may stand in for a picture of the
// upright size source at the size want; else a null image.
QImage standIn(const Found &found, const QSize &source, const QSize &want, bool turned);

}
