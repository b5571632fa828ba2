#include "viewer/SrgbConverter.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QFile>
#include <QtConcurrent>

#include <lcms2.h>

#include <numeric>
#include <vector>

namespace {
// Qt's 32-bit pixels as they lie in memory.
constexpr cmsUInt32Number PixelLayout = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TYPE_BGRA_8 : TYPE_ARGB_8;
constexpr int RowsPerBand = 64;

// Press profiles a Debian system may carry, for CMYK pictures without one.
const char *const PressProfiles[] = {"/usr/share/color/icc/ghostscript/default_cmyk.icc",
                                     "/usr/share/color/icc/colord/FOGRA39L_coated.icc",
                                     "/usr/share/color/icc/ISOcoated_v2_eci.icc"};

QByteArray pressProfile()
{
    for (const char *path : PressProfiles) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            return file.read(4 << 20);
    }
    return {};
}

// Runs convert over the rows in bands, on every core.
template <typename Convert>
void inBands(int height, Convert convert)
{
    std::vector<int> bands((height + RowsPerBand - 1) / RowsPerBand);
    std::iota(bands.begin(), bands.end(), 0);
    QtConcurrent::blockingMap(bands, [&](int band) {
        for (int y = band * RowsPerBand, last = std::min(height, (band + 1) * RowsPerBand); y < last; ++y)
            convert(y);
    });
}
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

SrgbConverter &SrgbConverter::shared()
{
    static SrgbConverter converter;
    return converter;
}

void *SrgbConverter::transformFor(const QByteArray &icc, quint32 inputLayout, bool fromSrgb)
{
    const QByteArray key = QCryptographicHash::hash(icc, QCryptographicHash::Md5) + QByteArray::number(inputLayout)
                           + (fromSrgb ? "s" : "");
    std::lock_guard<std::mutex> hold(m_lock);
    const auto known = m_transforms.constFind(key);
    if (known != m_transforms.constEnd())
        return *known;
    void *transform = nullptr;
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    const bool cmyk = T_COLORSPACE(inputLayout) == PT_CMYK;
    const bool fits = from && cmsGetColorSpace(from) == (cmyk ? cmsSigCmykData : cmsSigRgbData);
    if (fits && (cmyk || !profileName(icc).startsWith(QLatin1String("sRGB")))) {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        // No one-pixel cache: the transform is shared by threads.
        const cmsUInt32Number flags = cmsFLAGS_NOCACHE | (cmyk ? 0 : cmsFLAGS_COPY_ALPHA);
        transform = fromSrgb ? cmsCreateTransform(srgb, PixelLayout, from, PixelLayout, INTENT_PERCEPTUAL, flags)
                             : cmsCreateTransform(from, inputLayout, srgb, PixelLayout, INTENT_PERCEPTUAL, flags);
        cmsCloseProfile(srgb);
    }
    if (from)
        cmsCloseProfile(from);
    m_transforms.insert(key, transform);
    return transform;
}

namespace {
// The picture's 32-bit pixels through transform, or a null picture.
// Colours are converted before alpha is applied to them.
QImage transformed(const QImage &picture, void *transform)
{
    QImage work = picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // The copy may still share the caller's pixels: detach it here, once,
    // not in every band's thread at the same time.
    if (work.isNull() || !work.bits())
        return QImage();
    inBands(work.height(), [&](int y) {
        uchar *row = work.scanLine(y);
        cmsDoTransform(transform, row, row, cmsUInt32Number(work.width()));
    });
    return work;
}
} // namespace

QImage SrgbConverter::toSrgb(const QImage &picture, const QByteArray &icc)
{
    void *transform = icc.isEmpty() || picture.isNull() ? nullptr : transformFor(icc, PixelLayout);
    QImage work = transform ? transformed(picture, transform) : QImage();
    if (work.isNull())
        return picture;
    work.setColorSpace(QColorSpace::SRgb);
    return picture.format() == work.format() ? work : work.convertToFormat(picture.format());
}

QImage SrgbConverter::toDisplay(const QImage &srgb, const QByteArray &icc)
{
    void *transform = icc.isEmpty() || srgb.isNull() ? nullptr : transformFor(icc, PixelLayout, true);
    QImage work = transform ? transformed(srgb, transform) : QImage();
    if (work.isNull())
        return srgb;
    work.setColorSpace(QColorSpace());   // device values now, for this display only
    return work;
}

QImage SrgbConverter::cmykToSrgb(const uchar *cmyk, int width, int height, qsizetype stride, const QByteArray &icc,
                                 bool inverted)
{
    QImage out(width, height, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const cmsUInt32Number layout = inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8;
    void *transform = transformFor(icc, layout);
    if (!transform) {
        static const QByteArray press = pressProfile();
        transform = press.isEmpty() ? nullptr : transformFor(press, layout);
    }
    inBands(height, [&](int y) {
        const uchar *from = cmyk + y * stride;
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        if (transform) {
            cmsDoTransform(transform, from, to, cmsUInt32Number(width));
            for (int x = 0; x < width; ++x)
                to[x] |= 0xFF000000u;
            return;
        }
        // No profile anywhere: ink subtracted from white.
        for (int x = 0; x < width; ++x, from += 4) {
            auto level = [&](int ink) {
                const int c = inverted ? 255 - from[ink] : from[ink], k = inverted ? 255 - from[3] : from[3];
                return (255 - c) * (255 - k) / 255;
            };
            to[x] = qRgb(level(0), level(1), level(2));
        }
    });
    out.setColorSpace(QColorSpace::SRgb);
    return out;
}
