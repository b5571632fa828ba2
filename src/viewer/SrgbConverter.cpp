#include "viewer/SrgbConverter.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QtConcurrent>

#include <lcms2.h>

#include <numeric>
#include <vector>

namespace {
// Qt's 32-bit pixels as they lie in memory.
constexpr cmsUInt32Number PixelLayout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TYPE_BGRA_8 : TYPE_ARGB_8;
constexpr int RowsPerBand = 64;
}

SrgbConverter::SrgbConverter() = default;

SrgbConverter::~SrgbConverter()
{
    for (void *t : std::as_const(m_transforms))
        if (t)
            cmsDeleteTransform(t);
}

QString SrgbConverter::profileName(const QByteArray &icc)
{
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (!profile)
        return {};
    wchar_t text[256] = {};
    const cmsUInt32Number n = cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", text, sizeof text / sizeof *text);
    cmsCloseProfile(profile);
    return n > 0 ? QString::fromWCharArray(text).trimmed() : QString();
}

void *SrgbConverter::transformFor(const QByteArray &icc)
{
    const QByteArray key = QCryptographicHash::hash(icc, QCryptographicHash::Md5);
    std::lock_guard<std::mutex> hold(m_lock);
    const auto known = m_transforms.constFind(key);
    if (known != m_transforms.constEnd())
        return *known;
    void *transform = nullptr;
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    if (from && cmsGetColorSpace(from) == cmsSigRgbData && !profileName(icc).startsWith(QLatin1String("sRGB"))) {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        // No one-pixel cache: the transform is shared by threads.
        transform = cmsCreateTransform(from, PixelLayout, srgb, PixelLayout, INTENT_PERCEPTUAL,
                                       cmsFLAGS_NOCACHE | cmsFLAGS_COPY_ALPHA);
        cmsCloseProfile(srgb);
    }
    if (from)
        cmsCloseProfile(from);
    m_transforms.insert(key, transform);
    return transform;
}

QImage SrgbConverter::toSrgb(const QImage &picture, const QByteArray &icc)
{
    if (icc.isEmpty() || picture.isNull())
        return picture;
    void *transform = transformFor(icc);
    if (!transform)
        return picture;
    // Colours are converted before alpha is applied to them.
    const bool alpha = picture.hasAlphaChannel();
    QImage work = picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (work.isNull())
        return picture;
    std::vector<int> bands((work.height() + RowsPerBand - 1) / RowsPerBand);
    std::iota(bands.begin(), bands.end(), 0);
    QtConcurrent::blockingMap(bands, [&](int band) {
        const int first = band * RowsPerBand, last = std::min(work.height(), first + RowsPerBand);
        for (int y = first; y < last; ++y) {
            uchar *row = work.scanLine(y);
            cmsDoTransform(transform, row, row, cmsUInt32Number(work.width()));
        }
    });
    work.setColorSpace(QColorSpace::SRgb);
    return picture.format() == work.format() ? work : work.convertToFormat(picture.format());
}
