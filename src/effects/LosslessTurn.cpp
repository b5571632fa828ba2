#include "effects/LosslessTurn.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <turbojpeg.h>

namespace losslessturn {
namespace {
constexpr qint64 LargestJpeg = qint64(512) << 20;

// One of the eight ways a picture can lie: first mirrored left to right (or
// not), then turned clockwise by quarter turns.
struct Lie {
    int mirror = 0;
    int quarters = 0;
};

Lie lieOf(int orientation)
{
    static const Lie lies[9] = {{0, 0}, {0, 0}, {1, 0}, {0, 2}, {1, 2}, {1, 3}, {0, 1}, {1, 1}, {0, 3}};
    return orientation >= 1 && orientation <= 8 ? lies[orientation] : Lie{};
}

Lie lieOf(Turn t)
{
    switch (t) {
    case Turn::Right: return {0, 1};
    case Turn::Left: return {0, 3};
    case Turn::Half: return {0, 2};
    case Turn::FlipHorizontal: return {1, 0};
    case Turn::FlipVertical: return {1, 2};
    }
    return {};
}

// first, then second: a mirror carried past a turn reverses the turn.
Lie then(Lie first, Lie second)
{
    const int quarters = (second.mirror ? -first.quarters : first.quarters) + second.quarters;
    return {(first.mirror + second.mirror) % 2, ((quarters % 4) + 4) % 4};
}

int transformOf(Lie lie)
{
    if (!lie.mirror) {
        static const int turns[4] = {TJXOP_NONE, TJXOP_ROT90, TJXOP_ROT180, TJXOP_ROT270};
        return turns[lie.quarters];
    }
    static const int mirrored[4] = {TJXOP_HFLIP, TJXOP_TRANSVERSE, TJXOP_VFLIP, TJXOP_TRANSPOSE};
    return mirrored[lie.quarters];
}

// The orientation entry of the EXIF block's first directory: its offset in
// jpeg and the byte order, or -1.
qsizetype orientationEntry(const QByteArray &jpeg, bool *bigEndian)
{
    const auto *b = reinterpret_cast<const uchar *>(jpeg.constData());
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && b[at] == 0xFF) {
        const int marker = b[at + 1];
        const qsizetype length = qFromBigEndian<quint16>(b + at + 2);
        if (marker == 0xDA || length < 2)
            break;   // the pixels begin: no EXIF before them
        const qsizetype body = at + 4;
        if (marker == 0xE1 && length >= 16 && body + length - 2 <= jpeg.size() && jpeg.mid(body, 6) == QByteArray("Exif\0\0", 6)) {
            const qsizetype tiff = body + 6;
            *bigEndian = b[tiff] == 'M';
            auto u16 = [&](qsizetype p) { return *bigEndian ? qFromBigEndian<quint16>(b + p) : qFromLittleEndian<quint16>(b + p); };
            auto u32 = [&](qsizetype p) { return *bigEndian ? qFromBigEndian<quint32>(b + p) : qFromLittleEndian<quint32>(b + p); };
            const qsizetype end = body + length - 2;
            const qsizetype ifd = tiff + qsizetype(u32(tiff + 4));
            if (ifd + 2 > end)
                return -1;
            const int count = u16(ifd);
            for (int i = 0; i < count && ifd + 2 + 12 * (i + 1) <= end; ++i) {
                const qsizetype entry = ifd + 2 + 12 * i;
                if (u16(entry) == 0x0112)
                    return entry;
            }
            return -1;
        }
        at += 2 + length;
    }
    return -1;
}

QString named(const QString &path) { return QStringLiteral("\"%1\"").arg(QFileInfo(path).fileName()); }
} // namespace

int exifOrientation(const QByteArray &jpeg)
{
    bool big = false;
    const qsizetype entry = orientationEntry(jpeg, &big);
    if (entry < 0)
        return 1;
    const auto *v = reinterpret_cast<const uchar *>(jpeg.constData() + entry + 8);
    const int value = big ? qFromBigEndian<quint16>(v) : qFromLittleEndian<quint16>(v);
    return value >= 1 && value <= 8 ? value : 1;
}

QByteArray withUprightOrientation(QByteArray jpeg)
{
    bool big = false;
    const qsizetype entry = orientationEntry(jpeg, &big);
    if (entry >= 0) {
        auto *v = reinterpret_cast<uchar *>(jpeg.data() + entry + 8);
        if (big)
            qToBigEndian<quint16>(1, v);
        else
            qToLittleEndian<quint16>(1, v);
    }
    return jpeg;
}

Outcome turnJpegFile(const QString &path, Turn turn)
{
    Outcome out;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("%1 cannot be turned: %2").arg(named(path), in.errorString());
        return out;
    }
    if (in.size() > LargestJpeg) {
        out.error = QStringLiteral("%1 cannot be turned: the file is too large").arg(named(path));
        return out;
    }
    const QByteArray source = in.readAll();
    in.close();
    if (!source.startsWith("\xFF\xD8\xFF")) {
        out.error = QStringLiteral("%1 cannot be turned on disk: only JPEG files can be turned without loss")
                        .arg(named(path));
        return out;
    }
    const Lie lie = then(lieOf(exifOrientation(source)), lieOf(turn));

    tjhandle handle = tjInitTransform();
    if (!handle) {
        out.error = QStringLiteral("%1 cannot be turned: %2").arg(named(path), QString::fromUtf8(tjGetErrorStr2(nullptr)));
        return out;
    }
    tjtransform xform{};
    xform.op = transformOf(lie);
    // A size that is not a multiple of the block is refused, never cut.
    xform.options = TJXOPT_PERFECT;
    unsigned char *turned = nullptr;
    unsigned long turnedSize = 0;
    const int failed = tjTransform(handle, reinterpret_cast<const unsigned char *>(source.constData()),
                                   static_cast<unsigned long>(source.size()), 1, &turned, &turnedSize, &xform, 0);
    if (failed) {
        const QString why = QString::fromUtf8(tjGetErrorStr2(handle));
        out.error = why.contains(QLatin1String("perfect"), Qt::CaseInsensitive)
            ? QStringLiteral("%1 cannot be turned without losing its edge: its width or height is not a "
                             "multiple of the JPEG block size").arg(named(path))
            : QStringLiteral("%1 cannot be turned: %2").arg(named(path), why);
        tjFree(turned);
        tjDestroy(handle);
        return out;
    }
    const QByteArray bytes = withUprightOrientation(QByteArray(reinterpret_cast<const char *>(turned), qsizetype(turnedSize)));
    tjFree(turned);
    tjDestroy(handle);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        out.error = QStringLiteral("%1 cannot be turned: %2").arg(named(path), file.errorString());
        return out;
    }
    out.ok = true;
    return out;
}

} // namespace losslessturn
