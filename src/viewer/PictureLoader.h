#pragma once
#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

// Loads picture files for every part of Glintwave (viewer, thumbnails,
// gallery builder, batch mode): JPEG, BMP, GIF (first frame), ICO (its
// largest image), PNG, TIFF, WebP and the other formats Qt reads, and
// through Glintwave's own decoders (see PictureDecoder for adding formats)
// HEIC, HEIF, AVIF (libheif), SVG (Qt SVG) and WMF (libwmf). JPEG EXIF orientation is
// applied, so sizes are always those of the upright picture. Every decode
// follows PictureLimits: a header that claims more than its file can hold,
// or more than the memory budget, is refused before anything is allocated,
// and the memory a decode holds comes out of the budget all decodes share.
// Errors are short lines in the system's own words where the system gave
// them ("Permission denied", "Too many levels of symbolic links").
struct LoadedPicture {
    QImage image;        // null on failure
    QSize sourceSize;    // the upright picture's own size, when known
    QString error;       // why it failed
    bool preview = false;   // a preview stood in (see quickPreview)
    // A quick view of a large picture: the part of the picture it shows, in
    // the picture's own pixels (its own size when the preview is at full
    // resolution). Empty for any other picture or preview.
    QRect previewArea;
    bool ok() const { return !image.isNull(); }
};

class DecoderPool;

namespace PictureLoader {

// Where decodes run. The program and the batch mode hand their pool of
// sandboxed helpers here at start, and every load then runs in a helper;
// without one (the helper itself, the decoders' own tests) loads run in
// this process.
void setDecoderPool(DecoderPool *pool);

// Maps the upright source size to the size wanted.
using SizeRule = std::function<QSize(const QSize &)>;

// What a load wants: the size for the upright source size (none: the
// source size), and whether transparency is kept (ARGB32 premultiplied) or
// laid on background (RGB32).
struct LoadRequest {
    std::function<QSize(const QSize &)> sizeRule;
    bool keepAlpha = false;
    QColor background = Qt::black;
    // A preview will do for now even when it is smaller than the size
    // wanted: the one a file carries (a camera RAW's JPEG), or for a JPEG of
    // more than QuickViewFromPixels the part of it the view shows (at its
    // own size) or a reduced view from part of its rows (fitted; where
    // restart markers allow, else from its EXIF thumbnail if it has one of
    // its own). The result says so, and a load without this flag gives the
    // whole picture.
    bool quickPreview = false;
    // The screen the picture is shown on, in pixels: what a quick view of
    // a picture at its own size covers, around the picture's centre.
    QSize view = QSize();
    // Where a picture that needs nothing more after its decode (its own
    // size, upright, opaque) is decoded into: the helper's shared memory,
    // so that its pixels reach the program without a copy. A null image
    // (or none given) leaves it to the heap.
    std::function<QImage(const QSize &, QImage::Format)> pixelStore;
};

// A JPEG this large gets a quick view first when one is asked for. At its
// own size a 24 MP photo's centre is on screen about 130 ms sooner that
// way; much below this the whole decode takes little longer than the view.
constexpr qint64 QuickViewFromPixels = qint64(16) << 20;

// The one entry point; the functions below are its usual requests.
LoadedPicture load(const QString &path, const LoadRequest &request);

// The whole picture at its own size, RGB32, transparent parts laid on
// background.
LoadedPicture load(const QString &path, QColor background = Qt::black);

// The picture at the size rule gives for its source size, RGB32. Shrinking
// happens while decoding where the format allows (JPEG decodes at 1/2, 1/4
// or 1/8 scale), the rest is a smooth resample.
LoadedPicture loadFitted(const QString &path, const SizeRule &rule, QColor background = Qt::black);

// The picture fitted inside edge x edge pixels with its aspect ratio kept
// (enlarged when smaller), transparency kept (ARGB32 premultiplied).
LoadedPicture loadThumbnail(const QString &path, int edge);

// Size that keeps the aspect ratio of source and fits inside edge x edge.
QSize fitInside(const QSize &source, int edge);

// The fitted picture centred on a transparent edge x edge square.
QImage squareThumbnail(const QImage &fitted, int edge);

}
