#pragma once
#include "effects/PictureView.h"

#include <QString>

// The text shown when a zoom or fit result would be too large.
QString tooLargeMessage();

// The largest picture a zoom or fit may make: 256 megapixels (1 GiB at four
// bytes a pixel). With the picture it comes from and the screen copy that is
// a few GiB at most, well inside the memory of the machines we run on.
constexpr qint64 MaxPicturePixels = 256LL * 1024 * 1024;

struct ZoomResult {
    QImage image;      // null when the result could not be made
    bool tooLarge = false;
};

// Enlarges by factor (every pixel becomes a factor x factor block) when
// factor >= 1, otherwise shrinks by |factor| keeping the top-left pixel of each
// block. A shrink never goes below one pixel; a factor of 0 changes nothing.
ZoomResult zoomImage(const QImage &picture, int factor);

// Scales the picture to the given size with smoothing (fit and stretch).
ZoomResult scaleImage(const QImage &picture, int width, int height);

// Places the picture's middle at the screen's middle.
void centrepic(PictureView &view);

// Each returns false with a message when the picture was left unchanged
// because of its size; an empty picture or window changes nothing.
bool zoom(PictureView &view, int factor, QString *message);
bool fitWidth(PictureView &view, QString *message);
bool fitHeight(PictureView &view, QString *message);
bool stretchToWindow(PictureView &view, QString *message);
