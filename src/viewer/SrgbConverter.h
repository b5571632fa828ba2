#pragma once
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

// Turns a decoded picture into sRGB through the ICC profile its file
// carries (littlecms), so that the effects, saving, printing and the screen
// all work on the colours the picture was made with. A transform is made
// once for each profile and kept. Safe to use from several threads.
class SrgbConverter {
public:
    SrgbConverter();
    ~SrgbConverter();
    SrgbConverter(const SrgbConverter &) = delete;
    SrgbConverter &operator=(const SrgbConverter &) = delete;

    // The picture in sRGB; the picture itself when the profile is empty,
    // cannot be read, is sRGB already or is not an RGB profile.
    QImage toSrgb(QImage picture, const QByteArray &icc);

    // The same conversion for one row of Qt's 32-bit pixels at a time, in
    // place, for a decoder that converts rows while it makes the next ones;
    // empty when toSrgb would leave the picture as it is.
    using RowConversion = std::function<void(uchar *row, int width)>;
    RowConversion rowsToSrgb(const QByteArray &icc);

    // A CMYK picture (4 bytes a pixel, inverted as Adobe's files store it
    // when inverted is set) in sRGB through its own profile, or when it has
    // none through a standard press profile found on the system. Null when
    // no memory is left.
    QImage cmykToSrgb(const uchar *cmyk, int width, int height, qsizetype stride, const QByteArray &icc,
                      bool inverted);

    // An sRGB picture in the colours of a display described by icc (the
    // monitor profile the desktop publishes); the picture itself when the
    // profile is empty, cannot be read or is sRGB already.
    QImage toDisplay(QImage srgb, const QByteArray &icc);

    // The profile's own description ("ProPhoto RGB"), or empty.
    static QString profileName(const QByteArray &icc);

    // The converter all decodes share, so each profile's transform is made
    // once in the process.
    static SrgbConverter &shared();

private:
    struct Conversion;
    // Null: leave the picture as it is.
    const Conversion *conversionFor(const QByteArray &icc, quint32 inputLayout, bool fromSrgb = false);

    std::mutex m_lock;
    // By the profile's MD5, the layout and the direction; made once, kept
    // for the converter's life.
    QHash<QByteArray, std::shared_ptr<Conversion>> m_conversions;
};
