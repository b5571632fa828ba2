#include "viewer/PictureLimits.h"

#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace PictureLimits {

qint64 physicalMemory()
{
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return qint64(pages) * qint64(pageSize);
#endif
    return qint64(4) << 30;
}

qint64 budgetBytes(qint64 physicalBytes)
{
    return std::min(physicalBytes / 4, HardCapBytes);
}

qint64 budgetBytes()
{
    static const qint64 bound = budgetBytes(physicalMemory());
    return bound;
}

qint64 helperAddressSpace()
{
    constexpr qint64 LibrariesAndThreads = qint64(2) << 30;
    return budgetBytes() + LibrariesAndThreads;
}

double maxPixelsPerByte(const QByteArray &format, int bitsPerPixel)
{
    // BMP: RLE8 packs at most 255 pixels in two bytes; uncompressed rows
    // carry at least 1 bit a pixel.
    if (format == "bmp" || format == "dib")
        return 128;
    // JPEG: every 8 x 8 block costs at least a DC code and an end-of-block
    // code, two bits or more (a blank 8000 x 8000 picture from libjpeg is
    // 250 KB, 256 pixels a byte); a quarter of a bit a block is not reached.
    if (format == "jpeg" || format == "jpg")
        return 1024;
    // GIF: a 12-bit LZW code stands for at most 4096 pixels.
    if (format == "gif")
        return 2731;
    // HEIC, HEIF and AVIF: a blank 6000 x 6000 picture from libheif's
    // encoder is 8.7 KB, about 4,000 pixels a byte; sixteen times that is
    // beyond any real file, and a 1 KB file claiming 16000 x 16000 is not.
    if (format == "heic" || format == "heif" || format == "avif")
        return 65536;
    // JPEG XL: a blank 4000 x 4000 picture, lossless, is 676 bytes, about
    // 24,000 pixels a byte; twenty times that is beyond any real file.
    if (format == "jxl")
        return 524288;
    // Camera RAW: sensor data is stored at a byte or more a pixel, and
    // lossless compression of a black frame reaches a few pixels a byte.
    if (format == "raw")
        return 64;
    // WebP: a photo keeps near 50 pixels a byte; a smooth sky at low
    // quality (24 MP, lossy) reaches 450, a blank lossy one 560. Large
    // pictures past 512 are near-empty drawings or bombs.
    if (format == "webp")
        return 512;
    // PNG and what holds it (icons): deflate expands at most 1032 times, so
    // a picture of b bits a pixel carries at most 8256 / b pixels a byte. A
    // 1-bit page with one line of text on it, as a scanner makes it, has
    // about 1,650; only a blank one reaches the full 8,256.
    constexpr double DeflatedBits = 1032.0 * 8;
    if (bitsPerPixel > 0)
        return std::min(4096.0, DeflatedBits / bitsPerPixel);
    return DeflatedBits;
}

qint64 decodeCost(const QSize &size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return 0;
    return qint64(size.width()) * qint64(size.height()) * BytesPerPixel;
}

QSize drawingSize(const QSize &want, qint64 budget)
{
    if (want.isEmpty())
        return want;
    const double most = double(std::min(MaxDrawingPixels, budget / BytesPerPixel));
    const double scale = std::min({1.0, std::sqrt(most / (double(want.width()) * want.height())),
                                   double(MaxSide) / want.width(), double(MaxSide) / want.height()});
    if (scale >= 1.0)
        return want;
    return QSize(std::max(1, int(want.width() * scale)), std::max(1, int(want.height() * scale)));
}

bool acceptable(const QSize &size, qint64 maxBytes)
{
    if (size.width() <= 0 || size.height() <= 0)
        return false;
    if (size.width() > MaxSide || size.height() > MaxSide)
        return false;
    return decodeCost(size) <= maxBytes;
}

bool acceptable(const QSize &size)
{
    return acceptable(size, budgetBytes());
}

QString refusal(const QByteArray &format, const QSize &size, qint64 fileBytes, qint64 budget, int bitsPerPixel)
{
    if (size.width() <= 0 || size.height() <= 0)
        return QStringLiteral("damaged picture (its header claims %1 x %2 pixels)")
            .arg(size.width()).arg(size.height());
    const qint64 pixels = qint64(size.width()) * size.height();
    // WebP packs a blank or smooth picture as tightly as a bomb packs its
    // pixels, so only the sizes that could hurt are measured against it:
    // a blank 24 MP WebP is a real picture, a 268 MP one of 477 KB is not.
    const qint64 measuredAbove = format == "webp" ? 4 * SmallPixels : SmallPixels;
    if (fileBytes >= 0 && pixels > measuredAbove
        && double(pixels) > maxPixelsPerByte(format, bitsPerPixel) * double(fileBytes))
        return QStringLiteral("damaged picture (its header claims %1 x %2 pixels, more than %3 bytes of %4 can hold)")
            .arg(size.width()).arg(size.height()).arg(fileBytes).arg(QString::fromLatin1(format.toUpper()));
    if (!acceptable(size, budget))
        return QStringLiteral("picture too large (%1 x %2 pixels need more than the %3 MB allowed for pictures)")
            .arg(size.width()).arg(size.height()).arg(budget >> 20);
    return {};
}

QString refusal(const QByteArray &format, const QSize &size, qint64 fileBytes)
{
    return refusal(format, size, fileBytes, budgetBytes());
}

void applyToImageReader()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const qint64 mb = budgetBytes() >> 20;
        QImageReader::setAllocationLimit(int(std::min<qint64>(mb, 1 << 30)));
    });
}

DecodeBudget::DecodeBudget(qint64 total)
    : m_total(total)
{
}

DecodeBudget &DecodeBudget::shared()
{
    static DecodeBudget budget(budgetBytes());
    return budget;
}

qint64 DecodeBudget::inUse() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_used;
}

bool DecodeBudget::acquire(qint64 bytes)
{
    if (bytes <= 0)
        return true;
    if (bytes > m_total)
        return false;
    std::unique_lock<std::mutex> hold(m_lock);
    m_freed.wait(hold, [&] { return m_used + bytes <= m_total; });
    m_used += bytes;
    return true;
}

bool DecodeBudget::tryAcquire(qint64 bytes)
{
    if (bytes <= 0)
        return true;
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_used + bytes > m_total)
        return false;
    m_used += bytes;
    return true;
}

void DecodeBudget::release(qint64 bytes)
{
    if (bytes <= 0)
        return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_used -= bytes;
    }
    m_freed.notify_all();
}

bool Reservation::take(qint64 bytes)
{
    return hold(bytes, true);
}

bool Reservation::tryTake(qint64 bytes)
{
    return hold(bytes, false);
}

bool Reservation::hold(qint64 bytes, bool wait)
{
    reset();
    if (!m_budget)
        m_budget = &DecodeBudget::shared();
    if (!(wait ? m_budget->acquire(bytes) : m_budget->tryAcquire(bytes)))
        return false;
    m_bytes = std::max<qint64>(bytes, 0);
    return true;
}

void Reservation::reset()
{
    if (m_budget && m_bytes > 0)
        m_budget->release(m_bytes);
    m_bytes = 0;
}

}
