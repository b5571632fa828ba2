#include "viewer/NclxProfile.h"

#include <lcms2.h>

#include <cmath>

namespace {
// Transfer codes of H.273 that a parametric curve of littlecms's type 4
// (a power with a linear foot) expresses; 0 where not.
bool curveFor(int transfer, double params[5])
{
    switch (transfer) {
    case 1: case 6: case 14: case 15:   // BT.709, BT.601, BT.2020
        params[0] = 1 / 0.45; params[1] = 1 / 1.099; params[2] = 0.099 / 1.099; params[3] = 1 / 4.5; params[4] = 0.081;
        return true;
    case 13:   // sRGB
        params[0] = 2.4; params[1] = 1 / 1.055; params[2] = 0.055 / 1.055; params[3] = 1 / 12.92; params[4] = 0.04045;
        return true;
    case 4:   // gamma 2.2
    case 5:   // gamma 2.8
    case 8:   // linear
        params[0] = transfer == 4 ? 2.2 : transfer == 5 ? 2.8 : 1.0; params[1] = 1; params[2] = 0; params[3] = 0; params[4] = 0;
        return true;
    default:
        return false;
    }
}

bool near(float a, double b) { return std::fabs(a - b) < 0.002; }
} // namespace

QByteArray nclxProfile(const float p[8], int transfer)
{
    double params[5];
    if (!curveFor(transfer, params))
        return {};
    const bool bt709 = near(p[0], 0.64) && near(p[1], 0.33) && near(p[2], 0.30) && near(p[3], 0.60)
                       && near(p[4], 0.15) && near(p[5], 0.06) && near(p[6], 0.3127) && near(p[7], 0.3290);
    if (bt709 && (transfer == 1 || transfer == 6 || transfer == 13))
        return {};
    const cmsCIExyY white{p[6], p[7], 1};
    const cmsCIExyYTRIPLE primaries{{p[0], p[1], 1}, {p[2], p[3], 1}, {p[4], p[5], 1}};
    cmsToneCurve *curve = cmsBuildParametricToneCurve(nullptr, 4, params);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = curve ? cmsCreateRGBProfile(&white, &primaries, curves) : nullptr;
    QByteArray bytes;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(qsizetype(size));
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size))
            bytes.clear();
    }
    if (profile)
        cmsCloseProfile(profile);
    if (curve)
        cmsFreeToneCurve(curve);
    return bytes;
}
