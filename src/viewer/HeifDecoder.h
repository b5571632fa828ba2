#pragma once
#include "viewer/PictureDecoder.h"

// HEIC, HEIF and AVIF pictures through libheif: the primary image, turned
// and mirrored as the file says, alpha kept, RGB32 or ARGB32. When the size
// wanted is no more than an embedded thumbnail holds (phones write one),
// that thumbnail is decoded instead: a fraction of the work.
class HeifDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "heic"; }
    // By libheif's reading of the first bytes (at least 12).
    bool claims(const QByteArray &head) const override;
    // libheif's YCbCr planes and interleaved copy, then ours.
    double bytesPerPixel() const override { return 10; }
    QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const override;
};
