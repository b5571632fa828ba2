#include "viewer/EmbeddedProfile.h"

#include <QBuffer>
#include <QIODevice>
#include <QMap>
#include <QtEndian>

#include <zlib.h>

// Each format is walked by its own bookkeeping (markers, chunks, tags) with
// seeks, so a large EXIF block or pixel data is never read to find a profile.
namespace {
// No real profile is larger; a larger claim is a damaged or hostile file.
constexpr qint64 LargestProfile = 4 << 20;
constexpr int MostSegments = 1 << 16;

const uchar *bytes(const QByteArray &b) { return reinterpret_cast<const uchar *>(b.constData()); }

QByteArray readAt(QIODevice &file, qint64 at, qint64 length)
{
    if (at < 0 || length < 0 || length > LargestProfile || !file.seek(at))
        return {};
    const QByteArray data = file.read(length);
    return data.size() == length ? data : QByteArray();
}

// Calls visit(kind, place, length) for each marker segment before the scan,
// until it returns false.
template <typename Visit>
void eachJpegSegment(QIODevice &file, Visit visit)
{
    qint64 at = 2;
    for (int guard = 0; guard < MostSegments; ++guard) {
        const QByteArray marker = readAt(file, at, 4);
        if (marker.size() < 4 || uchar(marker[0]) != 0xFF)
            return;
        const int kind = uchar(marker[1]);
        const qint64 length = qFromBigEndian<quint16>(bytes(marker) + 2);
        if (kind == 0xDA || kind == 0xD9 || length < 2 || !visit(kind, at, length))
            return;
        at += 2 + length;
    }
}

QByteArray fromJpeg(QIODevice &file)
{
    QMap<int, QByteArray> pieces;
    int count = 0;
    bool damaged = false;
    eachJpegSegment(file, [&](int kind, qint64 at, qint64 length) {
        if (kind == 0xE2 && length > 16 && readAt(file, at + 4, 12) == QByteArray("ICC_PROFILE\0", 12)) {
            const QByteArray piece = readAt(file, at + 16, length - 14);
            damaged = piece.size() < 2;
            if (damaged)
                return false;
            count = uchar(piece[1]);
            pieces.insert(uchar(piece[0]), piece.mid(2));
        }
        return true;
    });
    if (damaged || pieces.isEmpty() || pieces.size() != count)
        return {};
    QByteArray profile;
    for (int i = 1; i <= count; ++i) {
        if (!pieces.contains(i))
            return {};
        profile += pieces.value(i);
    }
    return profile;
}

} // namespace

QByteArray inflatedAtMost(const QByteArray &packed, qsizetype most)
{
    QByteArray out(most, Qt::Uninitialized);
    uLongf length = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef *>(out.data()), &length, bytes(packed), uLong(packed.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(length));
    return out;
}

namespace {

QByteArray fromPng(QIODevice &file)
{
    qint64 at = 8;
    for (int guard = 0; guard < MostSegments; ++guard) {
        const QByteArray header = readAt(file, at, 8);
        if (header.size() < 8)
            break;
        const qint64 length = qFromBigEndian<quint32>(bytes(header));
        const QByteArray type = header.mid(4, 4);
        if (type == "iCCP") {
            const QByteArray data = readAt(file, at + 8, length);
            const qsizetype name = data.indexOf('\0');
            if (name < 0 || name + 2 > data.size() || data[name + 1] != 0)
                return {};
            return inflatedAtMost(data.mid(name + 2), LargestProfile);
        }
        if (type == "IDAT" || type == "IEND")
            break;   // the profile comes before the pixels
        at += 12 + length;
    }
    return {};
}

QByteArray fromWebp(QIODevice &file)
{
    qint64 at = 12;
    for (int guard = 0; guard < MostSegments; ++guard) {
        const QByteArray header = readAt(file, at, 8);
        if (header.size() < 8)
            break;
        const qint64 length = qFromLittleEndian<quint32>(bytes(header) + 4);
        if (header.startsWith("ICCP"))
            return readAt(file, at + 8, length);
        at += 8 + length + (length & 1);
    }
    return {};
}

QByteArray fromTiff(QIODevice &file, bool big)
{
    auto u16 = [big](const uchar *p) { return big ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p); };
    auto u32 = [big](const uchar *p) { return big ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p); };
    const QByteArray header = readAt(file, 0, 8);
    const QByteArray count = header.size() == 8 ? readAt(file, u32(bytes(header) + 4), 2) : QByteArray();
    if (count.size() < 2)
        return {};
    const qint64 first = u32(bytes(header) + 4) + 2;
    for (int i = 0; i < u16(bytes(count)); ++i) {
        const QByteArray entry = readAt(file, first + 12 * qint64(i), 12);
        if (entry.size() < 12)
            break;
        if (u16(bytes(entry)) == 34675 && u16(bytes(entry) + 2) == 7)   // undefined bytes
            return readAt(file, u32(bytes(entry) + 8), u32(bytes(entry) + 4));
    }
    return {};
}

// An ICC profile starts with its own length and says "acsp" at 36.
QByteArray checked(const QByteArray &profile)
{
    if (profile.size() < 128 || profile.size() > LargestProfile || profile.mid(36, 4) != "acsp"
        || qFromBigEndian<quint32>(bytes(profile)) > quint32(profile.size()))
        return {};
    return profile;
}
} // namespace

QByteArray embeddedIccProfile(QIODevice &file)
{
    const qint64 start = file.pos();
    const QByteArray head = readAt(file, 0, 12);
    QByteArray profile;
    if (head.startsWith("\xFF\xD8"))
        profile = fromJpeg(file);
    else if (head.startsWith("\x89PNG\r\n\x1a\n"))
        profile = fromPng(file);
    else if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        profile = fromWebp(file);
    else if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        profile = fromTiff(file, head.startsWith("MM"));
    file.seek(start);
    return checked(profile);
}

QByteArray embeddedIccProfile(const QByteArray &file)
{
    QByteArray copy = file;   // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return embeddedIccProfile(buffer);
}

JpegColours jpegColours(QIODevice &file)
{
    JpegColours colours;
    const qint64 start = file.pos();
    eachJpegSegment(file, [&](int kind, qint64 at, qint64 length) {
        if (kind == 0xEE && length >= 14)   // "Adobe", version, flags, transform
            colours.adobeInverted = readAt(file, at + 4, 5) == "Adobe";
        const bool frame = kind >= 0xC0 && kind <= 0xCF && kind != 0xC4 && kind != 0xC8 && kind != 0xCC;
        if (frame) {
            const QByteArray header = readAt(file, at + 4, 6);
            colours.components = header.size() == 6 ? uchar(header[5]) : 0;
        }
        return !frame;
    });
    file.seek(start);
    return colours;
}
