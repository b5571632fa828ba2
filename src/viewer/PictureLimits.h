#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// The one policy every picture decode follows: the viewer, the thumbnail
// view, the gallery builder and the batch mode all load through
// PictureLoader, and PictureLoader asks here before it allocates anything.
//
// Two checks, both made on the header alone:
// - Plausibility: a header may not claim more pixels than its file could
//   hold in that format. Each format has a bound in pixels per byte of file
//   that no real file reaches (see maxPixelsPerByte); a picture above it is
//   damaged or a decompression bomb and is refused. Pictures of up to
//   SmallPixels are never refused this way: they cannot hurt.
// - Memory: all decodes running at the same time share one budget (a
//   quarter of the physical memory, at most 8 GiB). A decode reserves what
//   it will hold before it starts and waits while others hold the rest; a
//   picture that alone needs more than the whole budget is refused.
namespace PictureLimits {

constexpr int MaxSide = 65535;
constexpr qint64 HardCapBytes = qint64(8) << 30;
constexpr qint64 SmallPixels = qint64(16) << 20;   // 64 MB decoded
constexpr int BytesPerPixel = 4;

// Physical memory of this machine in bytes (a conservative 4 GiB when it
// cannot be read).
qint64 physicalMemory();

// The shared decode budget for the given amount of physical memory, and
// this machine's.
qint64 budgetBytes(qint64 physicalBytes);
qint64 budgetBytes();
// The address space a decoding helper may map: the budget, and room for the
// libraries and threads around it.
qint64 helperAddressSpace();

// Pixels per byte of file that a format's data can at most carry (format
// as QImageReader names it: "jpeg", "png", "bmp", ...). Unknown formats get
// the most generous bound (that of PNG). Where the header tells the bits a
// pixel takes (PNG), bitsPerPixel narrows the bound; 0 when unknown.
double maxPixelsPerByte(const QByteArray &format, int bitsPerPixel = 0);

// Why a header claiming size for a file of fileBytes in format is refused,
// or an empty string when it may be decoded. A negative fileBytes checks
// the budget only.
QString refusal(const QByteArray &format, const QSize &size, qint64 fileBytes, qint64 budget,
                int bitsPerPixel = 0);
QString refusal(const QByteArray &format, const QSize &size, qint64 fileBytes);

// True when a picture of this size fits the budget on its own (and each
// side is at most MaxSide).
bool acceptable(const QSize &size, qint64 maxBytes);
bool acceptable(const QSize &size);

// The most pixels a drawing (SVG) is drawn at: a drawing claims any size
// for free, and its pixels are held up to three times on their way (drawn,
// laid on the background, handed back from the helper). A larger size is
// drawn smaller, its aspect kept, as a browser draws such a picture.
constexpr qint64 MaxDrawingPixels = qint64(64) << 20;

// The size a drawing wanted at want is drawn at: want itself, or the largest
// size of its shape within MaxDrawingPixels, MaxSide and the budget.
QSize drawingSize(const QSize &want, qint64 budget);

// Bytes a decoded picture of this size holds (4 a pixel).
qint64 decodeCost(const QSize &size);

// Sets QImageReader's global allocation limit to the budget, so that a
// decoder that learns its size late still cannot pass it. Idempotent.
void applyToImageReader();

// Memory shared by all decodes in the process.
class DecodeBudget {
public:
    explicit DecodeBudget(qint64 total);
    static DecodeBudget &shared();

    qint64 total() const { return m_total; }
    qint64 inUse() const;

    // Takes bytes from the budget, waiting while other decodes hold too
    // much. False (and nothing taken) when bytes exceed the whole budget.
    bool acquire(qint64 bytes);
    // Takes bytes only if they are free now; never waits.
    bool tryAcquire(qint64 bytes);
    void release(qint64 bytes);

private:
    const qint64 m_total;
    qint64 m_used = 0;
    mutable std::mutex m_lock;
    std::condition_variable m_freed;
};

// A reservation that gives its bytes back when it goes.
class Reservation {
public:
    Reservation() = default;
    explicit Reservation(DecodeBudget &budget) : m_budget(&budget) {}
    ~Reservation() { reset(); }
    Reservation(const Reservation &) = delete;
    Reservation &operator=(const Reservation &) = delete;

    // Replaces what is held by bytes; false when the budget cannot hold them.
    bool take(qint64 bytes);
    // The same without waiting: false (and nothing held) when they are not free now.
    bool tryTake(qint64 bytes);
    void reset();
    qint64 bytes() const { return m_bytes; }

private:
    bool hold(qint64 bytes, bool wait);

    DecodeBudget *m_budget = nullptr;
    qint64 m_bytes = 0;
};

}
