#pragma once
#include <QRgb>

#include <cstdint>
#include <memory>

// A conversion between two RGB profiles that are each three tone curves and
// a matrix (as most camera, screen and working-space profiles are), applied
// through tables: littlecms evaluates the curves and the colorants once, and
// a pixel then costs six table look-ups and three sums, several times less
// than a general transform. Same colours as littlecms's own
// matrix-shaper path (black maps to black, out of gamut is clipped).
class MatrixShaper {
public:
    // Null when either profile (littlecms handles) is not a matrix-shaper,
    // a curve of the target cannot be inverted or the matrix is so steep
    // that its sums would not fit the fixed point.
    static std::unique_ptr<MatrixShaper> between(void *fromProfile, void *toProfile);

    // True when every pixel would come out as it went in (a profile that is
    // sRGB under another name): then there is nothing to do.
    bool isIdentity() const;

    // Converts width pixels of Qt's 32-bit layout in place; alpha is kept.
    void apply(QRgb *pixels, int width) const;

    // Linear light in fixed point: 1.0 is One.
    static constexpr int Shift = 14, One = 1 << Shift;

private:
    // For each channel and level, what it adds to the three linear target
    // channels (its linear value times the matrix's column, One is 1.0), so
    // a pixel's product is three look-ups of four lanes and two vector sums.
    alignas(16) int32_t m_part[3][256][4];
    uint8_t m_out[3][One + 1];     // linear target to its level
    // The table each channel reads: one for all three when their curves
    // agree (as sRGB's do), so the tables stay in the nearest cache.
    const uint8_t *m_outOf[3];
};
