#include "viewer/MatrixShaper.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    int32_t matrix[3][3];
    for (int r = 0; r < 3; ++r) {
        int64_t reach = One / 2;   // the largest sum a row can make, rounding included
        for (int c = 0; c < 3; ++c) {
            double sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += xyzTo[r][k] * fromXyz[k][c];
            if (!(std::abs(sum) < 8))
                return nullptr;
            matrix[r][c] = int32_t(std::lround(sum * One));
            reach += int64_t(std::abs(matrix[r][c])) * One;
        }
        if (reach > INT32_MAX)
            return nullptr;
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
        for (int i = 0; i < 256; ++i) {
            const int32_t linear = int32_t(std::lround(cmsEvalToneCurveFloat(in, float(i) / 255.f) * One));
            for (int r = 0; r < 3; ++r)
                shaper->m_part[c][i][r] = matrix[r][c] * linear;
            shaper->m_part[c][i][3] = 0;
        }
        for (int i = 0; i <= One; ++i) {
            const float level = cmsEvalToneCurveFloat(back, float(i) / float(One));
            shaper->m_out[c][i] = uint8_t(std::clamp(std::lround(level * 255.f), 0L, 255L));
        }
        cmsFreeToneCurve(back);
        shaper->m_outOf[c] = shaper->m_out[c];
        for (int same = 0; same < c; ++same)
            if (std::equal(shaper->m_out[c], shaper->m_out[c] + One + 1, shaper->m_out[same])) {
                shaper->m_outOf[c] = shaper->m_outOf[same];
                break;
            }
    }
    return shaper;
}

void MatrixShaper::apply(QRgb *pixels, int width) const
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i half = _mm_set1_epi32(One / 2), zero = _mm_setzero_si128(), one = _mm_set1_epi16(One);
    const auto linear = [&](QRgb p) {
        const auto part = [&](int c, int level) {
            return _mm_load_si128(reinterpret_cast<const __m128i *>(m_part[c][level]));
        };
        const __m128i sum = _mm_add_epi32(_mm_add_epi32(part(0, qRed(p)), part(1, qGreen(p))),
                                          _mm_add_epi32(part(2, qBlue(p)), half));
        return _mm_srai_epi32(sum, Shift);
    };
    for (; x + 2 <= width; x += 2) {
        const QRgb p = pixels[x], q = pixels[x + 1];
        // Two pixels' linear targets in 16-bit lanes, clamped to [0, One]
        // (the packing saturates what lies beyond).
        const __m128i v = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(linear(p), linear(q)), zero), one);
        pixels[x] = (p & 0xFF000000u) | QRgb(m_outOf[0][_mm_extract_epi16(v, 0)]) << 16
                    | QRgb(m_outOf[1][_mm_extract_epi16(v, 1)]) << 8 | m_outOf[2][_mm_extract_epi16(v, 2)];
        pixels[x + 1] = (q & 0xFF000000u) | QRgb(m_outOf[0][_mm_extract_epi16(v, 4)]) << 16
                        | QRgb(m_outOf[1][_mm_extract_epi16(v, 5)]) << 8 | m_outOf[2][_mm_extract_epi16(v, 6)];
    }
#endif
    const auto level = [this](int c, int32_t v) {
        return QRgb(m_outOf[c][std::clamp<int32_t>(v >> Shift, 0, One)]);
    };
    for (; x < width; ++x) {
        const QRgb p = pixels[x];
        const int32_t *r = m_part[0][qRed(p)], *g = m_part[1][qGreen(p)], *b = m_part[2][qBlue(p)];
        int32_t sum[3];
        for (int k = 0; k < 3; ++k)
            sum[k] = r[k] + g[k] + b[k] + One / 2;
        pixels[x] = (p & 0xFF000000u) | (level(0, sum[0]) << 16) | (level(1, sum[1]) << 8) | level(2, sum[2]);
    }
}

bool MatrixShaper::isIdentity() const
{
    for (int c = 0; c < 3; ++c) {
        // What the other two channels add to this one's sum lies between
        // their ends, when each of their parts grows or falls steadily.
        int64_t least = One / 2, most = One / 2;
        for (int k = 0; k < 3; ++k) {
            if (k == c)
                continue;
            int steps = 0;   // rising ones and falling ones
            for (int i = 1; i < 256; ++i)
                steps |= m_part[k][i][c] > m_part[k][i - 1][c] ? 1 : m_part[k][i][c] < m_part[k][i - 1][c] ? 2 : 0;
            if (steps == 3)
                return false;
            least += std::min(m_part[k][0][c], m_part[k][255][c]);
            most += std::max(m_part[k][0][c], m_part[k][255][c]);
        }
        for (int i = 0; i < 256; ++i) {
            const int64_t low = std::clamp<int64_t>((m_part[c][i][c] + least) >> Shift, 0, One);
            const int64_t high = std::clamp<int64_t>((m_part[c][i][c] + most) >> Shift, 0, One);
            if (high - low > 64)
                return false;
            for (int64_t v = low; v <= high; ++v)
                if (m_out[c][v] != i)
                    return false;
        }
    }
    return true;
}
