#pragma once
#include <QSize>
#include <QtGlobal>

// How large a decoded picture may be. Qt's own default (128 MB) refuses
// ordinary large photos; no limit at all lets a crafted header claiming
// 65535 x 65535 pixels take the machine's memory. The bound: the decoded
// picture at 4 bytes a pixel must fit in a quarter of the physical memory,
// and never more than 8 GiB; each side at most 65535 pixels.
namespace PictureLimits {

constexpr int MaxSide = 65535;
constexpr qint64 HardCapBytes = qint64(8) << 30;

// Physical memory of this machine in bytes (a conservative 4 GiB when it
// cannot be read).
qint64 physicalMemory();

// Largest number of bytes a decoded picture may take, for the given amount
// of physical memory.
qint64 maxDecodedBytes(qint64 physicalBytes);
qint64 maxDecodedBytes();

// True when a picture of this size may be decoded (4 bytes a pixel) within
// maxBytes.
bool acceptable(const QSize &size, qint64 maxBytes);
bool acceptable(const QSize &size);

// Raises QImageReader's global allocation limit to our bound. Idempotent.
void applyToImageReader();

}
