#pragma once
#include <QImage>
#include <QRect>
#include <QSize>

// A first view of a large baseline JPEG of three components, long before
// its whole decode ends. The whole decode of a 40000 x 20000 photo is
// seconds of entropy decoding that no scaling shortens, so the view decodes
// only what it shows:
//
// - Where the file carries restart markers at the start of whole MCU rows
//   (or at even steps along them), the intervals are found by scanning the
//   coded data for their markers, which costs a read of the file and no
//   decode. The intervals wanted are copied into a small JPEG of their own,
//   markers numbered afresh, and decoded on both cores.
// - Without them, a part is reached by libjpeg's skip, which still reads
//   the entropy data of every row above it but leaves out the rest of the
//   work; a reduced view of the whole is then no cheaper than the whole
//   decode at 1/8 and none is offered.
//
// Either answer is a stand-in: the caller decodes the picture whole after
// it. data is the whole file; the caller has checked the limits and holds
// the memory the answer takes (width x height x 4 bytes, plus
// neededBytes).
namespace jpegquickview {

struct View {
    QImage image;   // RGB32, not yet converted to sRGB; null: no quick view
    QRect area;     // the part of the picture it shows, in the picture's pixels
};

// The part of the picture within wanted (clipped to it) at full
// resolution, grown out to whole intervals or MCU columns.
View part(const uchar *data, qint64 size, const QRect &wanted);

// The whole picture at 1/8 of its width, from evenly spaced MCU rows enough
// for a quarter of want's height (the caller resamples it to want); only where
// restart markers allow it.
View reduced(const uchar *data, qint64 size, const QSize &want);

// The most bytes a view of the file holds besides its pixels.
qint64 neededBytes(qint64 fileSize, const QSize &picture);

}
