#include "viewer/MatrixShaper.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {
using Matrix = std::array<std::array<double, 3>, 3>;

const cmsTagSignature Curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
const cmsTagSignature Colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};

// The colorants as the columns of the matrix from linear RGB to PCS XYZ.
bool toXyz(cmsHPROFILE profile, Matrix &m)
{
    for (int c = 0; c < 3; ++c) {
        const auto *xyz = static_cast<const cmsCIEXYZ *>(cmsReadTag(profile, Colorants[c]));
        if (!xyz)
            return false;
        m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
    }
    return true;
}

bool inverted(const Matrix &m, Matrix &inv)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1])
                       - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                       + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::abs(det) < 1e-9)
        return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // The cofactor of (c, r), transposed.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

bool isMatrixShaper(cmsHPROFILE p)
{
    return p && cmsGetColorSpace(p) == cmsSigRgbData && cmsIsMatrixShaper(p);
}
} // namespace

std::unique_ptr<MatrixShaper> MatrixShaper::between(void *fromProfile, void *toProfile)
{
    cmsHPROFILE from = fromProfile, to = toProfile;
    Matrix fromXyz{}, toXyz_{}, xyzTo{};
    if (!isMatrixShaper(from) || !isMatrixShaper(to) || !toXyz(from, fromXyz) || !toXyz(to, toXyz_)
        || !inverted(toXyz_, xyzTo))
        return nullptr;
    auto shaper = std::unique_ptr<MatrixShaper>(new MatrixShaper);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += xyzTo[r][k] * fromXyz[k][c];
            shaper->m_matrix[r][c] = int32_t(std::lround(sum * One));
        }
    for (int c = 0; c < 3; ++c) {
        const auto *in = static_cast<const cmsToneCurve *>(cmsReadTag(from, Curves[c]));
        const auto *out = static_cast<const cmsToneCurve *>(cmsReadTag(to, Curves[c]));
        cmsToneCurve *back = out ? cmsReverseToneCurve(out) : nullptr;
        if (!in || !back) {
            if (back)
                cmsFreeToneCurve(back);
            return nullptr;
        }
        for (int i = 0; i < 256; ++i)
            shaper->m_in[c][i] = int32_t(std::lround(cmsEvalToneCurveFloat(in, float(i) / 255.f) * One));
        for (int i = 0; i <= One; ++i) {
            const float level = cmsEvalToneCurveFloat(back, float(i) / float(One));
            shaper->m_out[c][i] = uint8_t(std::clamp(std::lround(level * 255.f), 0L, 255L));
        }
        cmsFreeToneCurve(back);
    }
    return shaper;
}

void MatrixShaper::apply(QRgb *pixels, int width) const
{
    const auto level = [this](int c, int64_t v) {
        return QRgb(m_out[c][std::clamp<int64_t>(v >> Shift, 0, One)]);
    };
    for (int x = 0; x < width; ++x) {
        const QRgb p = pixels[x];
        const int64_t r = m_in[0][qRed(p)], g = m_in[1][qGreen(p)], b = m_in[2][qBlue(p)];
        const QRgb R = level(0, m_matrix[0][0] * r + m_matrix[0][1] * g + m_matrix[0][2] * b + One / 2);
        const QRgb G = level(1, m_matrix[1][0] * r + m_matrix[1][1] * g + m_matrix[1][2] * b + One / 2);
        const QRgb B = level(2, m_matrix[2][0] * r + m_matrix[2][1] * g + m_matrix[2][2] * b + One / 2);
        pixels[x] = (p & 0xFF000000u) | (R << 16) | (G << 8) | B;
    }
}
