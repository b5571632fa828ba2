#include "PictureLimits.h"

#include <QImageReader>

#include <algorithm>
#include <mutex>
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

qint64 maxDecodedBytes(qint64 physicalBytes)
{
    return std::min(physicalBytes / 4, HardCapBytes);
}

qint64 maxDecodedBytes()
{
    static const qint64 bound = maxDecodedBytes(physicalMemory());
    return bound;
}

bool acceptable(const QSize &size, qint64 maxBytes)
{
    if (size.width() <= 0 || size.height() <= 0)
        return false;
    if (size.width() > MaxSide || size.height() > MaxSide)
        return false;
    const qint64 bytes = qint64(size.width()) * qint64(size.height()) * 4;
    return bytes <= maxBytes;
}

bool acceptable(const QSize &size)
{
    return acceptable(size, maxDecodedBytes());
}

void applyToImageReader()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const qint64 mb = maxDecodedBytes() >> 20;
        QImageReader::setAllocationLimit(int(std::min<qint64>(mb, 1 << 30)));
    });
}

}
