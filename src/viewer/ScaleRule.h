#pragma once
#include <QImage>
#include <QSize>
#include <cstdint>

// Fitting a freshly loaded picture to the screen (scaleIt).
namespace ScaleRule {

// The size scaleIt gives a picture of the given size (pixels) on a screen of
// the given size (pixels): shrunk to fit when it is larger than the screen in
// either direction and scaleBig is set, enlarged to fit when it is smaller in
// both directions and scaleSmall is set, otherwise unchanged. Ratios are
// single precision on twips, as the sizes are held; the result is rounded to
// whole pixels.
QSize scaledSize(const QSize &picture, const QSize &screen, int16_t scaleBig, int16_t scaleSmall);

// The stretch used by scaleIt: a smooth (area-averaging when shrinking,
// bilinear when enlarging) resample to exactly the given size.
QImage resample(const QImage &source, const QSize &size);

}
