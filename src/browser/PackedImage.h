#pragma once
#include <QByteArray>
#include <QImage>
#include <QMetaType>
#include <QRect>
#include <QSize>

// A picture held in fewer bytes than its pixels and given back exactly, bit
// for bit: thousands of thumbnails stay in memory this way, and only those on
// screen are unpacked. Each byte plane (green, red and blue less green,
// alpha unless all opaque) is predicted from its left, upper and upper-left
// neighbours, as lossless photo coders do, and the remainders are deflated;
// a square thumbnail's transparent margins are not stored at all. A photo's
// thumbnail takes about a third of its square's bytes. Packing and
// unpacking run on any thread; a packed picture is shared on copy.
class PackedImage {
public:
    PackedImage() = default;
    explicit PackedImage(const QImage &image);

    bool isNull() const { return m_size.isEmpty(); }
    QSize size() const { return m_size; }
    // The picture as it was given (pictures of fewer than 32 bits a pixel
    // come back as 32-bit ones, with alpha if they had it).
    QImage unpack() const;
    // What it holds in memory, for accounting.
    qsizetype packedBytes() const { return m_data.size(); }

private:
    QByteArray m_data;
    QSize m_size;
    QImage::Format m_format = QImage::Format_Invalid;
    QRect m_box;            // outside it every pixel is 0, and not stored
    bool m_opaque = false;  // no alpha plane stored: it is all 255
};

Q_DECLARE_METATYPE(PackedImage)
