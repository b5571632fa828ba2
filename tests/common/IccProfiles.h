// Colour profiles made by littlecms for the tests, and littlecms's own
// command-line converter as the reference for what a colour becomes.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QProcess>
#include <QRegularExpression>

#include <lcms2.h>

#include <algorithm>

namespace iccprofiles {
// An RGB profile with the given primaries (x, y of red, green, blue), D50
// white and the given gamma, named name.
inline QByteArray rgbProfile(const char *name, const cmsCIExyYTRIPLE &primaries, double gamma)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 5000);
    cmsToneCurve *curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU *description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", name);
    cmsWriteTag(p, cmsSigProfileDescriptionTag, description);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsMLUfree(description);
    cmsFreeToneCurve(curve);
    cmsCloseProfile(p);
    return bytes;
}
inline const cmsCIExyYTRIPLE ProPhoto = {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}};
inline const cmsCIExyYTRIPLE SwappedRedGreen = {{0.30, 0.60, 1}, {0.64, 0.33, 1}, {0.15, 0.06, 1}};

// What transicc makes of one colour from profile from to profile to (file
// names, or "*sRGB"); invalid when it could not say.
inline QColor transicc(const QString &from, const QString &to, QColor c)
{
    QProcess p;
    p.start("transicc", {"-i", from, "-o", to, "-t", "0"});
    p.write(QStringLiteral("%1 %2 %3\n").arg(c.red()).arg(c.green()).arg(c.blue()).toLatin1());
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        return {};
    // It answers in unbounded floats; out of gamut is clipped, as in 8 bits.
    const QRegularExpressionMatch m = QRegularExpression("R=(-?[\\d.]+) G=(-?[\\d.]+) B=(-?[\\d.]+)")
                                          .match(QString::fromLatin1(p.readAllStandardOutput()));
    const auto level = [&m](int i) { return std::clamp(qRound(m.captured(i).toDouble()), 0, 255); };
    return m.hasMatch() ? QColor(level(1), level(2), level(3)) : QColor();
}
} // namespace iccprofiles
