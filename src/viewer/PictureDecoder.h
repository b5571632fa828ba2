#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

// A picture format that Qt's image readers do not read: HEIC, HEIF and AVIF,
// SVG drawings, metafiles, and any decoder added later. PictureLoader offers
// every file to these first, by content, with the file-size cap; a decoder
// never allocates a picture before Sizes::admit said yes, which is where
// PictureLoader applies PictureLimits (the pixels-per-byte bound for a
// raster, the budget for all) and takes the memory from the shared budget.
// Formats that Qt's image plugins read need no decoder of ours: they go
// through QImageReader under the same limits.
class PictureDecoder {
public:
    // What the loader answers a decoder about sizes.
    class Sizes {
    public:
        virtual ~Sizes() = default;
        // The size the caller wants for a picture of this natural size;
        // nothing is checked or reserved.
        virtual QSize wanted(const QSize &natural) const = 0;
        // Asked once, before allocating: the picture's natural (declared)
        // size and, for a raster, the size of what is decoded (a stored
        // smaller copy, or the natural size). Returns the wanted size, or an
        // empty size when refused: the decoder then stops.
        virtual QSize admit(const QSize &natural, const QSize &decoded) = 0;
        // Whether a preview smaller than wanted will do for now; the decoder
        // then says it gave one.
        virtual bool quickPreview() const { return false; }
        virtual void gavePreview() {}
    };

    virtual ~PictureDecoder() = default;
    // The name PictureLimits knows the format by ("wmf", "heic", ...).
    virtual QByteArray format() const = 0;
    // True when a file starting with head (its first HeadBytes) is ours.
    virtual bool claims(const QByteArray &head) const = 0;
    // Drawn at any size (no pixel count to check against the file's size).
    virtual bool isVector() const { return false; }
    // Memory a decode holds per decoded pixel, every copy counted.
    virtual double bytesPerPixel() const { return 4; }
    // Decodes the whole file held in data. On failure a null image and the
    // reason in *error.
    virtual QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const = 0;

    static constexpr int HeadBytes = 4096;
};

namespace PictureDecoders {
// Adds a decoder; later additions are asked before earlier ones.
void add(std::shared_ptr<const PictureDecoder> decoder);
// The decoder that claims head, or null.
std::shared_ptr<const PictureDecoder> find(const QByteArray &head);
}
