#include "viewer/SrgbConverter.h"

#include "viewer/MatrixShaper.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QFile>
#include <QtConcurrent>

#include <lcms2.h>

#include <cstring>
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

// Matrix profiles (the most) through tables; the others through littlecms.
struct SrgbConverter::Conversion {
    cmsHTRANSFORM transform = nullptr;
    std::unique_ptr<MatrixShaper> shaper;
    ~Conversion()
    {
        if (transform)
            cmsDeleteTransform(transform);
    }
    void run(const uchar *from, uchar *to, int width) const
    {
        if (shaper) {
            if (from != to)
                memcpy(to, from, size_t(width) * 4);
            shaper->apply(reinterpret_cast<QRgb *>(to), width);
        } else {
            cmsDoTransform(transform, from, to, cmsUInt32Number(width));
        }
    }
};

SrgbConverter::SrgbConverter() = default;

SrgbConverter::~SrgbConverter() = default;

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

const SrgbConverter::Conversion *SrgbConverter::conversionFor(const QByteArray &icc, quint32 inputLayout,
                                                                bool fromSrgb)
{
    const QByteArray key = QCryptographicHash::hash(icc, QCryptographicHash::Md5) + QByteArray::number(inputLayout)
                           + (fromSrgb ? "s" : "");
    std::lock_guard<std::mutex> hold(m_lock);
    const auto known = m_conversions.constFind(key);
    if (known != m_conversions.constEnd())
        return known->get();
    std::shared_ptr<Conversion> made;
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    const bool cmyk = T_COLORSPACE(inputLayout) == PT_CMYK;
    const bool fits = profile && cmsGetColorSpace(profile) == (cmyk ? cmsSigCmykData : cmsSigRgbData);
    if (fits && (cmyk || !profileName(icc).startsWith(QLatin1String("sRGB")))) {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        cmsHPROFILE from = fromSrgb ? srgb : profile, to = fromSrgb ? profile : srgb;
        made = std::make_shared<Conversion>();
        if (!cmyk)
            made->shaper = MatrixShaper::between(from, to);
        const bool identity = made->shaper && made->shaper->isIdentity();
        // No one-pixel cache: the transform is shared by threads.
        if (!made->shaper)
            made->transform = cmsCreateTransform(from, fromSrgb ? PixelLayout : inputLayout, to, PixelLayout,
                                                 INTENT_PERCEPTUAL,
                                                 cmsFLAGS_NOCACHE | (cmyk ? 0 : cmsFLAGS_COPY_ALPHA));
        if (identity || (!made->shaper && !made->transform))
            made.reset();
        cmsCloseProfile(srgb);
    }
    if (profile)
        cmsCloseProfile(profile);
    m_conversions.insert(key, made);
    return made.get();
}

namespace {
// The picture's 32-bit pixels converted in place (the picture is taken, so
// nothing is copied when it is already 32-bit and unshared). Colours are
// converted before alpha is applied to them.
template <typename Conversion>
QImage converted(QImage picture, const Conversion &conversion)
{
    const QImage::Format wanted = picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage work = picture.format() == wanted ? std::move(picture) : picture.convertToFormat(wanted);
    // Detached here, once, not in every band's thread at the same time.
    if (work.isNull() || !work.bits())
        return QImage();
    inBands(work.height(), [&](int y) {
        uchar *row = work.scanLine(y);
        conversion.run(row, row, work.width());
    });
    return work;
}
} // namespace

QImage SrgbConverter::toSrgb(QImage picture, const QByteArray &icc)
{
    const Conversion *conversion = icc.isEmpty() || picture.isNull() ? nullptr : conversionFor(icc, PixelLayout);
    if (!conversion)
        return picture;
    const QImage::Format format = picture.format();
    QImage work = converted(std::move(picture), *conversion);
    work.setColorSpace(QColorSpace::SRgb);
    return work.isNull() || work.format() == format ? work : work.convertToFormat(format);
}

SrgbConverter::RowConversion SrgbConverter::rowsToSrgb(const QByteArray &icc)
{
    const Conversion *conversion = icc.isEmpty() ? nullptr : conversionFor(icc, PixelLayout);
    if (!conversion)
        return {};
    // Conversions are kept for the converter's life.
    return [conversion](uchar *row, int width) { conversion->run(row, row, width); };
}

QImage SrgbConverter::toDisplay(QImage srgb, const QByteArray &icc)
{
    const Conversion *conversion = icc.isEmpty() || srgb.isNull() ? nullptr : conversionFor(icc, PixelLayout, true);
    if (!conversion)
        return srgb;
    QImage work = converted(std::move(srgb), *conversion);
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
    const Conversion *conversion = conversionFor(icc, layout);
    if (!conversion) {
        static const QByteArray press = pressProfile();
        conversion = press.isEmpty() ? nullptr : conversionFor(press, layout);
    }
    inBands(height, [&](int y) {
        const uchar *from = cmyk + y * stride;
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        if (conversion) {
            conversion->run(from, reinterpret_cast<uchar *>(to), width);
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
