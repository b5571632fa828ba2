#pragma once
#include <QImage>
#include <QRgb>

// Mirror images: exact, size and position unchanged.
QImage flipLeftRight(const QImage &picture);
QImage flipTopBottom(const QImage &picture);

// Turns the picture exactly: shift 0 a quarter clockwise, 1 a half turn,
// 2 a quarter anticlockwise. Any other shift leaves it as it is.
QImage rotateimage(const QImage &picture, int shift);

// Moves every column x up or down as a whole by
// round-half-even(amp x sin(x / wavelength)) pixels. Places left empty take
// the background colour (0x00BBGGRR). A wavelength of 0 leaves the picture.
QImage waveimage(const QImage &picture, int amp, int wavelength, int32_t background);
