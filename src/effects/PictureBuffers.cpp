#include "effects/PictureBuffers.h"

#include <QMutex>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
// Aligned to huge pages where the system hands them out by itself. Asking for
// them (madvise) made large enlargements stall in page compaction for seconds.
constexpr size_t Huge = size_t(2) << 20;
constexpr size_t PoolFrom = size_t(4) << 20;      // smaller pictures use the heap
constexpr size_t PoolLimit = size_t(1) << 30;     // never keep more than 1 GiB spare
constexpr size_t PoolCount = 3;

struct Buffer {
    uchar *data;
    size_t capacity;
};

QMutex poolLock;
std::vector<Buffer> pool;

void giveBack(void *info)
{
    auto *b = static_cast<Buffer *>(info);
    {
        QMutexLocker lock(&poolLock);
        size_t kept = 0;
        for (const Buffer &p : pool)
            kept += p.capacity;
        if (pool.size() < PoolCount && kept + b->capacity <= PoolLimit) {
            pool.push_back(*b);
            delete b;
            return;
        }
    }
    std::free(b->data);
    delete b;
}

Buffer *take(size_t bytes)
{
    QMutexLocker lock(&poolLock);
    // A buffer no more than a quarter too large: no big waste for small pictures.
    for (size_t i = 0; i < pool.size(); ++i) {
        if (pool[i].capacity >= bytes && pool[i].capacity - bytes <= bytes / 4 + Huge) {
            auto *b = new Buffer(pool[i]);
            pool.erase(pool.begin() + long(i));
            return b;
        }
    }
    return nullptr;
}
} // namespace

QImage newPicture(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const qsizetype line = qsizetype(width) * 4;
    const size_t bytes = size_t(line) * size_t(height);
    if (bytes < PoolFrom)
        return QImage(width, height, QImage::Format_RGB32);   // null when memory runs out
    Buffer *b = take(bytes);
    if (!b) {
        const size_t capacity = (bytes + Huge - 1) / Huge * Huge;
        void *data = std::aligned_alloc(Huge, capacity);
        if (!data) {
            releasePictureBuffers(); // the spare buffers may be what is in the way
            data = std::aligned_alloc(Huge, capacity);
            if (!data)
                return QImage();
        }
        b = new Buffer{static_cast<uchar *>(data), capacity};
    }
    return QImage(b->data, width, height, line, QImage::Format_RGB32, giveBack, b);
}

void releasePictureBuffers()
{
    std::vector<Buffer> spare;
    {
        QMutexLocker lock(&poolLock);
        spare.swap(pool);
    }
    for (const Buffer &b : spare)
        std::free(b.data);
}
