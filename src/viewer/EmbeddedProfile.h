#pragma once
#include <QByteArray>

class QIODevice;

// The ICC colour profile a picture file carries, the way each format keeps
// it: JPEG's APP2 "ICC_PROFILE" pieces in order, PNG's iCCP chunk
// (deflated), WebP's ICCP chunk and TIFF's tag 34675. Empty when there is
// none or the file's bookkeeping does not add up. Only what leads to the
// profile is read, and the device is left where it was.
QByteArray embeddedIccProfile(QIODevice &file);
QByteArray embeddedIccProfile(const QByteArray &file);

// Deflated bytes (a PNG chunk's zlib stream) inflated; empty when damaged or
// longer than most bytes.
QByteArray inflatedAtMost(const QByteArray &packed, qsizetype most);

// What a JPEG file says about its colours: the number of components of its
// frame (4 for CMYK), and whether an Adobe marker is there, which means its
// CMYK is stored inverted, as Photoshop writes it. Zero components when no
// frame header is found.
struct JpegColours {
    int components = 0;
    bool adobeInverted = false;
};
JpegColours jpegColours(QIODevice &file);
