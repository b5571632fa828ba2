#include "viewer/RawDecoder.h"

#include <QTransform>
#include <QtEndian>

#include <libraw.h>

#include <memory>

namespace {
const char *const CameraMakers[] = {"Canon", "NIKON", "SONY", "OLYMPUS", "OM Digital", "PENTAX", "RICOH", "FUJIFILM",
                                    "Panasonic", "LEICA", "Leica", "SAMSUNG", "Hasselblad", "Phase One", "SIGMA"};

// A TIFF whose first directory carries DNG's version tag, or a Make naming a
// camera maker, within the first bytes.
bool tiffFromACamera(const QByteArray &head)
{
    const bool big = head.startsWith("MM");
    const auto *b = reinterpret_cast<const uchar *>(head.constData());
    auto u16 = [&](qsizetype p) { return big ? qFromBigEndian<quint16>(b + p) : qFromLittleEndian<quint16>(b + p); };
    auto u32 = [&](qsizetype p) { return big ? qFromBigEndian<quint32>(b + p) : qFromLittleEndian<quint32>(b + p); };
    const qsizetype ifd = u32(4);
    if (ifd < 8 || ifd + 2 > head.size())
        return false;
    for (int i = 0, n = u16(ifd); i < n && ifd + 2 + 12 * (i + 1) <= head.size(); ++i) {
        const qsizetype e = ifd + 2 + 12 * i;
        if (u16(e) == 50706)   // DNGVersion
            return true;
        if (u16(e) == 271 && u16(e + 2) == 2) {   // Make, in ASCII
            const qsizetype count = u32(e + 4), at = count <= 4 ? e + 8 : u32(e + 8);
            const QByteArray make = head.mid(at, std::min<qsizetype>(count, 64));
            for (const char *maker : CameraMakers)
                if (make.startsWith(maker))
                    return true;
        }
    }
    return false;
}

// The turn libraw's flip code asks for (0, 3, 5 or 6).
QImage flipped(const QImage &image, int flip)
{
    const int degrees = flip == 3 ? 180 : flip == 5 ? 270 : flip == 6 ? 90 : 0;
    return degrees ? image.transformed(QTransform().rotate(degrees)) : image;
}

// libraw 0.20 writes past its buffers when unpacking some damaged
// thumbnails of the rarer layouts; only the JPEG and 8-bit RGB previews
// that cameras of today write are unpacked, and only when they lie inside
// the file.
class RawFile : public LibRaw {
public:
    bool thumbnailIsSafe(qint64 fileBytes) const
    {
        const libraw_thumbnail_t &t = imgdata.thumbnail;
        const qint64 at = libraw_internal_data.internal_data.toffset;
        qint64 bytes = -1;
        if (write_thumb == &RawFile::jpeg_thumb)
            bytes = t.tlength;
        else if (write_thumb == &RawFile::ppm_thumb && t.tlength >= qint64(t.twidth) * t.theight * 3)
            bytes = qint64(t.twidth) * t.theight * 3;
        return bytes > 0 && at > 0 && at <= fileBytes - bytes;
    }
};

// libraw reads from memory here, so its input/output error means data
// that ends early or does not add up, not a disk in trouble.
QString rawError(int e)
{
    if (e == LIBRAW_IO_ERROR || e == LIBRAW_DATA_ERROR)
        return QStringLiteral("damaged picture (the camera's data ends early or does not add up)");
    return QString::fromUtf8(libraw_strerror(e));
}

QImage previewOf(RawFile &raw, qint64 fileBytes)
{
    if (!raw.thumbnailIsSafe(fileBytes) || raw.unpack_thumb() != LIBRAW_SUCCESS)
        return {};
    const libraw_thumbnail_t &t = raw.imgdata.thumbnail;
    QImage preview;
    if (t.tformat == LIBRAW_THUMBNAIL_JPEG)
        preview = QImage::fromData(reinterpret_cast<const uchar *>(t.thumb), int(t.tlength), "JPEG");
    else if (t.tformat == LIBRAW_THUMBNAIL_BITMAP && t.tcolors == 3 && qint64(t.twidth) * t.theight * 3 <= t.tlength)
        preview = QImage(reinterpret_cast<const uchar *>(t.thumb), t.twidth, t.theight, t.twidth * 3,
                         QImage::Format_RGB888).copy();
    return flipped(preview.convertToFormat(QImage::Format_RGB32), raw.imgdata.sizes.flip);
}
} // namespace

bool RawDecoder::claims(const QByteArray &head) const
{
    if (head.size() < 16)
        return false;
    if (head.startsWith("FUJIFILMCCD-RAW") || head.startsWith("IIRO") || head.startsWith("IIRS")
        || head.startsWith("MMOR") || head.startsWith(QByteArray("IIU\0", 4)))
        return true;
    if (head.mid(4, 8) == "ftypcrx ")
        return true;
    if (!head.startsWith(QByteArray("II*\0", 4)) && !head.startsWith(QByteArray("MM\0*", 4)))
        return false;
    return head.mid(8, 2) == "CR" || tiffFromACamera(head);
}

QImage RawDecoder::decode(const QByteArray &data, Sizes &sizes, QString *error) const
{
    auto raw = std::make_unique<RawFile>();   // large: not on the stack
    raw->imgdata.params.use_camera_wb = 1;
    raw->imgdata.params.output_bps = 8;
    if (const int e = raw->open_buffer(const_cast<char *>(data.constData()), size_t(data.size())); e != LIBRAW_SUCCESS) {
        *error = rawError(e);
        return {};
    }
    const libraw_image_sizes_t &s = raw->imgdata.sizes;
    const QSize stored(s.width, s.height);
    const QSize natural = (s.flip & 4) ? stored.transposed() : stored;
    const QSize want = sizes.wanted(natural);

    const QImage preview = previewOf(*raw, data.size());
    const bool covers = !preview.isNull() && want.isValid() && preview.width() >= want.width()
                        && preview.height() >= want.height();
    if (covers || (!preview.isNull() && sizes.quickPreview())) {
        if (sizes.admit(natural, preview.size()).isEmpty())
            return {};
        if (!covers)
            sizes.gavePreview();
        return preview;
    }

    // Half size takes one pixel of each colour from every 2 x 2 block: four
    // times less work, and enough when what is wanted is no more than half.
    const bool half = want.isValid() && want.width() * 2 <= natural.width() && want.height() * 2 <= natural.height();
    raw->imgdata.params.half_size = half ? 1 : 0;
    if (sizes.admit(natural, half ? natural / 2 : natural).isEmpty())
        return {};
    int e = raw->unpack();
    if (e == LIBRAW_SUCCESS)
        e = raw->dcraw_process();
    libraw_processed_image_t *developed = e == LIBRAW_SUCCESS ? raw->dcraw_make_mem_image(&e) : nullptr;
    if (!developed || developed->type != LIBRAW_IMAGE_BITMAP || developed->colors != 3 || developed->bits != 8) {
        *error = rawError(e ? e : LIBRAW_UNSPECIFIED_ERROR);
        LibRaw::dcraw_clear_mem(developed);
        return {};
    }
    const QImage picture = QImage(developed->data, developed->width, developed->height, developed->width * 3,
                                  QImage::Format_RGB888)
                               .convertToFormat(QImage::Format_RGB32);
    LibRaw::dcraw_clear_mem(developed);
    if (picture.isNull())
        *error = QStringLiteral("out of memory");
    return picture;
}
