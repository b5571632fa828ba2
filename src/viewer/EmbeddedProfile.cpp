#include "viewer/EmbeddedProfile.h"

#include <QMap>
#include <QtEndian>

#include <zlib.h>

namespace {
// No real profile is larger; a larger claim is a damaged or hostile file.
constexpr qsizetype LargestProfile = 4 << 20;

const uchar *bytes(const QByteArray &b) { return reinterpret_cast<const uchar *>(b.constData()); }

QByteArray fromJpeg(const QByteArray &f)
{
    QMap<int, QByteArray> pieces;
    int count = 0;
    for (qsizetype at = 2; at + 4 <= f.size() && uchar(f[at]) == 0xFF;) {
        const int marker = uchar(f[at + 1]);
        const qsizetype length = qFromBigEndian<quint16>(bytes(f) + at + 2);
        if (marker == 0xDA || marker == 0xD9 || length < 2 || at + 2 + length > f.size())
            break;
        if (marker == 0xE2 && length > 16 && f.mid(at + 4, 12) == QByteArray("ICC_PROFILE\0", 12)) {
            const int sequence = uchar(f[at + 16]);
            count = uchar(f[at + 17]);
            pieces.insert(sequence, f.mid(at + 18, length - 16));
        }
        at += 2 + length;
    }
    if (pieces.isEmpty() || pieces.size() != count)
        return {};
    QByteArray profile;
    for (int i = 1; i <= count; ++i) {
        if (!pieces.contains(i))
            return {};
        profile += pieces.value(i);
    }
    return profile;
}

QByteArray inflated(const QByteArray &packed)
{
    QByteArray out(LargestProfile, Qt::Uninitialized);
    uLongf length = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef *>(out.data()), &length, bytes(packed), uLong(packed.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(length));
    return out;
}

QByteArray fromPng(const QByteArray &f)
{
    for (qsizetype at = 8; at + 12 <= f.size();) {
        const qsizetype length = qFromBigEndian<quint32>(bytes(f) + at);
        const QByteArray type = f.mid(at + 4, 4);
        if (length > f.size() - at - 12)
            break;
        if (type == "iCCP") {
            const QByteArray data = f.mid(at + 8, length);
            const qsizetype name = data.indexOf('\0');
            if (name < 0 || name + 2 > data.size() || data[name + 1] != 0)
                return {};
            return inflated(data.mid(name + 2));
        }
        if (type == "IDAT" || type == "IEND")
            break;   // the profile comes before the pixels
        at += 12 + length;
    }
    return {};
}

QByteArray fromWebp(const QByteArray &f)
{
    for (qsizetype at = 12; at + 8 <= f.size();) {
        const qsizetype length = qFromLittleEndian<quint32>(bytes(f) + at + 4);
        if (length > f.size() - at - 8)
            break;
        if (f.mid(at, 4) == "ICCP")
            return f.mid(at + 8, length);
        at += 8 + length + (length & 1);
    }
    return {};
}

QByteArray fromTiff(const QByteArray &f)
{
    const bool big = f.startsWith("MM");
    auto u16 = [&](qsizetype p) { return big ? qFromBigEndian<quint16>(bytes(f) + p) : qFromLittleEndian<quint16>(bytes(f) + p); };
    auto u32 = [&](qsizetype p) { return big ? qFromBigEndian<quint32>(bytes(f) + p) : qFromLittleEndian<quint32>(bytes(f) + p); };
    const qsizetype ifd = u32(4);
    if (ifd < 8 || ifd + 2 > f.size())
        return {};
    const int entries = u16(ifd);
    for (int i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= f.size(); ++i) {
        const qsizetype e = ifd + 2 + 12 * i;
        if (u16(e) == 34675 && u16(e + 2) == 7) {   // undefined bytes
            const qsizetype count = u32(e + 4), offset = u32(e + 8);
            if (count > 4 && count <= LargestProfile && offset + count <= f.size())
                return f.mid(offset, count);
        }
    }
    return {};
}
} // namespace

QByteArray embeddedIccProfile(const QByteArray &f)
{
    QByteArray profile;
    if (f.startsWith("\xFF\xD8"))
        profile = fromJpeg(f);
    else if (f.startsWith("\x89PNG\r\n\x1a\n"))
        profile = fromPng(f);
    else if (f.startsWith("RIFF") && f.mid(8, 4) == "WEBP")
        profile = fromWebp(f);
    else if (f.startsWith("II*\0") || f.startsWith("MM\0*"))
        profile = fromTiff(f);
    // An ICC profile starts with its own length and says "acsp" at 36.
    if (profile.size() < 128 || profile.size() > LargestProfile || profile.mid(36, 4) != "acsp"
        || qFromBigEndian<quint32>(bytes(profile)) > quint32(profile.size()))
        return {};
    return profile;
}
