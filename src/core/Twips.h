#pragma once
#include <cmath>

// Positions and sizes given in twips are converted here, once.
namespace twips {
constexpr int PerPixel = 15;
inline int toPixels(double t) { return static_cast<int>(std::lround(t / PerPixel)); }
inline double fromPixels(double px) { return px * PerPixel; }
}
