#pragma once
#include <QImage>

// The raster operations of tint (the toolkit's DrawMode values).
enum TintMode : int {
    TintInvert = 6,  // NOT pixel; the colour is ignored
    TintXor = 7,
    TintCopy = 13,   // the colour itself
    TintMask = 9,    // pixel AND colour
    TintMerge = 15,  // pixel OR colour
};

// Combines every pixel with the colour (r, g, b) by the raster operation.
// An operation not listed leaves the picture as it is.
QImage tint(const QImage &picture, int r, int g, int b, int drmod);

// Adds 25 x (intensity + 1) to every channel, or subtracts it when mode is 1,
// clamping to 0..255.
QImage brightness(const QImage &picture, int mode, int intensity);

// The picture in Format_RGB32, the form every effect works on.
QImage asRgb32(const QImage &picture);
