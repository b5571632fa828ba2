#pragma once
#include "viewer/PictureDecoder.h"

// Camera RAW files (DNG, CR2, CR3, NEF, ARW, ORF, RAF, RW2) through libraw.
// The JPEG preview the camera stored is used whenever it covers the size
// wanted (or when a quick preview will do); otherwise the sensor's data is
// developed, at half size where that still covers the size wanted.
class RawDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "raw"; }
    // By the signatures cameras write: DNG's version tag, Canon's "CR",
    // Olympus's and Panasonic's own TIFF marks, Fujifilm's header, CR3's
    // box, or a TIFF whose first directory names a camera maker.
    bool claims(const QByteArray &head) const override;
    // libraw's sensor copy and its 16-bit working picture, then ours.
    double bytesPerPixel() const override { return 16; }
    QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const override;
};
