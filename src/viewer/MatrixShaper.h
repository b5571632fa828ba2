#pragma once
#include <QRgb>

#include <cstdint>
#include <memory>

// A conversion between two RGB profiles that are each three tone curves and
// a matrix (as most camera, screen and working-space profiles are), applied
// through tables: littlecms evaluates the curves and the colorants once, and
// a pixel then costs six table look-ups and one 3 x 3 product, several
// times less than a general transform. Same colours as littlecms's own
// matrix-shaper path (black maps to black, out of gamut is clipped).
class MatrixShaper {
public:
    // Null when either profile (littlecms handles) is not a matrix-shaper
    // or a curve of the target cannot be inverted.
    static std::unique_ptr<MatrixShaper> between(void *fromProfile, void *toProfile);

    // Converts width pixels of Qt's 32-bit layout in place; alpha is kept.
    void apply(QRgb *pixels, int width) const;

    // Linear light in fixed point: 1.0 is One.
    static constexpr int Shift = 14, One = 1 << Shift;

private:
    int32_t m_in[3][256];          // each channel's level, linear
    int32_t m_matrix[3][3];        // linear source to linear target, One is 1.0
    uint8_t m_out[3][One + 1];     // linear target to its level
};
