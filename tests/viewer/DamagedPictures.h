#pragma once
// Header edits that make a real picture file claim another size: the way
// decompression bombs are made from ordinary files. Shared by the tests and
// the corpus maker (fuzz/make_corpus.cpp).
#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <algorithm>

namespace damaged {

// The CRC of a PNG chunk (over its type and data).
inline quint32 pngCrc(const QByteArray &typeAndData)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : typeAndData) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// HEIF and AVIF claim their size in 'ispe' boxes (the tiles' and the
// grid's): sets them all; false when there was none.
inline bool claimIspeSize(QByteArray &b, quint32 w, quint32 h)
{
    int boxes = 0;
    for (int at = b.indexOf("ispe"); at >= 0 && at + 16 <= b.size(); at = b.indexOf("ispe", at + 4)) {
        qToBigEndian<quint32>(w, b.data() + at + 8);
        qToBigEndian<quint32>(h, b.data() + at + 12);
        ++boxes;
    }
    return boxes > 0;
}

// Makes the file (its kind from name's extension: .jpg, .bmp, .gif, .png,
// .ico, placeable .wmf, .heic, .avif, lossy .webp) claim w x h; false when it has no such header.
// PNG chunks keep a valid CRC, so that the size is believed.
inline bool claimSize(QByteArray &b, const QString &name, quint32 w, quint32 h)
{
    auto *d = reinterpret_cast<uchar *>(b.data());
    if (name.endsWith(".jpg")) {
        for (int i = 2; i + 9 < b.size(); ++i)
            if (d[i] == 0xFF && (d[i + 1] == 0xC0 || d[i + 1] == 0xC1 || d[i + 1] == 0xC2)) {
                qToBigEndian<quint16>(quint16(std::min<quint32>(h, 65535)), d + i + 5);
                qToBigEndian<quint16>(quint16(std::min<quint32>(w, 65535)), d + i + 7);
                return true;
            }
        return false;
    }
    if (name.endsWith(".heic") || name.endsWith(".avif"))
        return claimIspeSize(b, w, h);
    if (name.endsWith(".webp") && b.size() > 30 && b.mid(12, 4) == "VP8 ") {
        // A lossy frame: 14 bits a side after the start code.
        qToLittleEndian<quint16>(quint16(std::min<quint32>(w, 16383)), d + 26);
        qToLittleEndian<quint16>(quint16(std::min<quint32>(h, 16383)), d + 28);
        return true;
    }
    if (name.endsWith(".bmp") && b.size() > 26) {
        qToLittleEndian<qint32>(qint32(w), d + 18);
        qToLittleEndian<qint32>(qint32(h), d + 22);
        return true;
    }
    if (name.endsWith(".gif") && b.size() > 10) {
        qToLittleEndian<quint16>(quint16(std::min<quint32>(w, 65535)), d + 6);
        qToLittleEndian<quint16>(quint16(std::min<quint32>(h, 65535)), d + 8);
        return true;
    }
    if (name.endsWith(".png") && b.size() > 33) {
        qToBigEndian<quint32>(w, d + 16);
        qToBigEndian<quint32>(h, d + 20);
        qToBigEndian<quint32>(pngCrc(b.mid(12, 17)), d + 29);   // a valid chunk, so the size is believed
        return true;
    }
    if (name.endsWith(".ico") && b.size() > 22) {
        const quint32 offset = qFromLittleEndian<quint32>(d + 18);
        if (offset + 12 >= quint32(b.size()))
            return false;
        d[6] = 0;
        d[7] = 0;
        if (b.mid(int(offset) + 1, 3) == "PNG") {
            QByteArray inner = b.mid(int(offset));
            claimSize(inner, "x.png", w, h);
            b.replace(int(offset), inner.size(), inner);
        } else {
            qToLittleEndian<qint32>(qint32(w), d + offset + 4);
            qToLittleEndian<qint32>(qint32(h) * 2, d + offset + 8);
        }
        return true;
    }
    if (name.endsWith(".wmf") && b.size() > 22 && qFromLittleEndian<quint32>(d) == 0x9AC6CDD7u) {
        qToLittleEndian<qint16>(qint16(std::min<quint32>(w, 32767)), d + 10);
        qToLittleEndian<qint16>(qint16(std::min<quint32>(h, 32767)), d + 12);
        qToLittleEndian<quint16>(1, d + 14);   // one unit an inch: a huge picture
        return true;
    }
    return false;
}
}
