#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// A picture format that Qt's image readers do not read (metafiles, and any
// decoder added later). PictureLoader offers every file to these first, by
// content; a decoder never allocates a picture without asking sizeFor,
// which is where PictureLoader applies PictureLimits and takes the memory
// from the shared budget. Formats that Qt's image plugins read need no
// decoder of ours: they go through QImageReader under the same limits.
class PictureDecoder {
public:
    // For the natural (declared) size, the size to decode to; an empty size
    // means refused, and the decoder then stops without allocating.
    using SizeFor = std::function<QSize(const QSize &natural)>;

    virtual ~PictureDecoder() = default;
    // The name PictureLimits knows the format by ("wmf", "heic", ...).
    virtual QByteArray format() const = 0;
    // True when a file starting with head (its first 64 bytes) is ours.
    virtual bool claims(const QByteArray &head) const = 0;
    // Drawn at any size (no pixel count to check against the file's size).
    virtual bool isVector() const { return false; }
    // Decodes the whole file held in data. On failure a null image and the
    // reason in *error.
    virtual QImage decode(const QByteArray &data, const SizeFor &sizeFor, QString *error) const = 0;
};

namespace PictureDecoders {
// Adds a decoder; later additions are asked before earlier ones.
void add(std::shared_ptr<const PictureDecoder> decoder);
// The decoder that claims head, or null.
std::shared_ptr<const PictureDecoder> find(const QByteArray &head);
}
