#include "viewer/CmykJpeg.h"

#include "viewer/SrgbConverter.h"

#include <turbojpeg.h>

#include <memory>

namespace {
struct HandleFree { void operator()(void *h) const { tjDestroy(h); } };

// The smallest of libjpeg's scales that still covers atLeast.
tjscalingfactor scaleFor(int width, int height, const QSize &atLeast)
{
    int count = 0;
    const tjscalingfactor *factors = tjGetScalingFactors(&count);
    tjscalingfactor best{1, 1};
    for (int i = 0; factors && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom || !atLeast.isValid())
            continue;
        const int w = TJSCALED(width, f), h = TJSCALED(height, f);
        if (w >= atLeast.width() && h >= atLeast.height() && w < TJSCALED(width, best))
            best = f;
    }
    return best;
}
} // namespace

QImage decodeCmykJpeg(const QByteArray &file, const QSize &atLeast, const QByteArray &icc, bool inverted,
                      QString *error)
{
    std::unique_ptr<void, HandleFree> handle(tjInitDecompress());
    const auto *data = reinterpret_cast<const unsigned char *>(file.constData());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!handle
        || tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(file.size()), &width, &height,
                               &subsampling, &colourspace) != 0) {
        *error = QString::fromUtf8(tjGetErrorStr2(handle.get()));
        return {};
    }
    const tjscalingfactor scale = scaleFor(width, height, atLeast);
    const int w = TJSCALED(width, scale), h = TJSCALED(height, scale);
    QByteArray cmyk(qsizetype(w) * h * 4, Qt::Uninitialized);
    if (cmyk.isEmpty()) {
        *error = QStringLiteral("out of memory");
        return {};
    }
    // A damaged scan still gives what it decoded, as Qt's reader does;
    // a file with no picture at all fails.
    if (tjDecompress2(handle.get(), data, static_cast<unsigned long>(file.size()),
                      reinterpret_cast<unsigned char *>(cmyk.data()), w, w * 4, h, TJPF_CMYK, 0) != 0
        && tjGetErrorCode(handle.get()) == TJERR_FATAL) {
        *error = QString::fromUtf8(tjGetErrorStr2(handle.get()));
        return {};
    }
    QImage out = SrgbConverter::shared().cmykToSrgb(reinterpret_cast<const uchar *>(cmyk.constData()), w, h, w * 4,
                                                    icc, inverted);
    if (out.isNull())
        *error = QStringLiteral("out of memory");
    return out;
}
