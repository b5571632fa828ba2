#pragma once
#include "viewer/PictureDecoder.h"

// SVG drawings rendered by Qt SVG at the size asked for, so a drawing shown
// on a large screen is drawn large, never rasterised small and blown up.
// Transparent ARGB32.
class SvgDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "svg"; }
    // A text that starts with markup and holds an svg element.
    bool claims(const QByteArray &head) const override;
    bool isVector() const override { return true; }
    QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const override;
};
