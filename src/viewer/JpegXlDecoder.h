#pragma once
#include "viewer/PictureDecoder.h"

// JPEG XL pictures through libjxl: the first frame, turned as the file
// says, alpha kept, converted to sRGB through the picture's own colours.
class JpegXlDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "jxl"; }
    // A bare code stream or the container's signature box.
    bool claims(const QByteArray &head) const override;
    // libjxl's working planes (floats, three of them), its 8-bit output and ours.
    double bytesPerPixel() const override { return 20; }
    QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const override;
};
