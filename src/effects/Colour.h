#pragma once
#include <QRgb>
#include <cstdint>

// The effects keep the colour arithmetic of 0x00BBGGRR values (red in the low
// byte) while the pixels themselves live in QImage::Format_RGB32 (0xffRRGGBB).
namespace gwcolour {

// What a read outside the picture yields: all 32 bits set.
constexpr int32_t Invalid = -1;

// One colour split into channels. The invalid colour splits into blue -1,
// green 255, red 255, which the neighbourhood effects compare against.
struct Channels {
    int r, g, b;
};

inline Channels split(int32_t c)
{
    if (c == Invalid)
        return {255, 255, -1};
    return {c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff};
}

// The split of an RGB32 pixel (never invalid).
inline Channels splitPixel(QRgb p) { return {int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff)}; }

inline int32_t fromPixel(QRgb p) { return int32_t(((p >> 16) & 0xff) | (p & 0xff00) | ((p & 0xff) << 16)); }

inline QRgb toPixel(int32_t bbggrr)
{
    const uint32_t c = uint32_t(bbggrr);
    return 0xff000000u | ((c & 0xff) << 16) | (c & 0xff00) | ((c >> 16) & 0xff);
}

// Rounds to the nearest whole number with halves going to the even neighbour,
// exactly as the default floating-point rounding mode does, for |v| < 2^52.
// Adding and removing 2^52 leaves only the integer part and is much cheaper
// than a library call on every pixel.
inline double roundHalfEven(double v)
{
    // IEEE arithmetic without fast-math: the compiler may not fold the pair.
    constexpr double big = 4503599627370496.0; // 2^52
    if (v >= 0)
        return (v + big) - big;
    return (v - big) + big;
}

} // namespace gwcolour
