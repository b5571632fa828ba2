#include "viewer/PictureLoader.h"

#include "viewer/BandedJpeg.h"
#include "viewer/CmykJpeg.h"
#include "viewer/EmbeddedProfile.h"
#include "viewer/ExifThumbnail.h"
#include "viewer/JpegQuickView.h"
#include "viewer/PictureDecoder.h"
#include "viewer/PictureLimits.h"
#include "viewer/SrgbConverter.h"
#include "viewer/WmfRender.h"

#include "decode/DecoderPool.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <limits>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

// Our own decoders read the whole file; none of their formats is this big.
constexpr qint64 MaxDecoderFileBytes = qint64(256) << 20;

QImage finish(QImage image, const QSize &want, bool keepAlpha, const QColor &background)
{
    if (image.isNull())
        return image;
    if (want.isValid() && !want.isEmpty() && image.size() != want)
        image = image.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (keepAlpha)
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.fill(background);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

qint64 outputCost(const QSize &want)
{
    return want.isValid() ? qint64(want.width()) * want.height() * PictureLimits::BytesPerPixel : 0;
}

// What Qt's reader does for a file's orientation, for pictures decoded
// beside it: mirrored first, then turned.
QImage oriented(const QImage &image, QImageIOHandler::Transformations t)
{
    QImage out = image;
    if (t & (QImageIOHandler::TransformationMirror | QImageIOHandler::TransformationFlip))
        out = out.mirrored(t & QImageIOHandler::TransformationMirror, t & QImageIOHandler::TransformationFlip);
    if (t & QImageIOHandler::TransformationRotate90)
        out = out.transformed(QTransform().rotate(90));
    return out;
}

// What a BMP's info header claims. A top-down bitmap stores its height
// negated; Qt's reader then tells no size at all, so the size comes from
// here and is checked like any other.
struct BmpHeader {
    qint64 width = 0, height = 0, offset = 0;
    int bits = 0;
    quint32 compression = 0;
    bool valid = false;
};

BmpHeader bmpHeader(const QByteArray &head)
{
    BmpHeader h;
    if (head.size() < 34 || !head.startsWith("BM"))
        return h;
    const auto *b = reinterpret_cast<const uchar *>(head.constData());
    if (qFromLittleEndian<quint32>(b + 14) < 40)
        return h;   // the old core header: left to Qt
    h.offset = qFromLittleEndian<quint32>(b + 10);
    h.width = qFromLittleEndian<qint32>(b + 18);
    h.height = std::abs(qint64(qFromLittleEndian<qint32>(b + 22)));
    h.bits = qFromLittleEndian<quint16>(b + 28);
    h.compression = qFromLittleEndian<quint32>(b + 30);
    h.valid = true;
    return h;
}

// An uncompressed BMP shorter than its rows is cut off: Qt's reader would
// hand back the part it has as a whole picture.
QString bmpShortfall(const BmpHeader &h, qint64 fileBytes)
{
    if (!h.valid || (h.compression != 0 && h.compression != 3) || h.width <= 0 || h.bits <= 0 || h.bits > 32)
        return {};
    const qint64 stride = ((h.width * h.bits + 31) / 32) * 4;
    if (h.offset + stride * h.height > fileBytes)
        return QStringLiteral("damaged picture (the file ends before its pixels do)");
    return {};
}

// The bits a pixel of a PNG takes, from its header (0 when not a PNG).
int pngBitsPerPixel(const QByteArray &head)
{
    if (head.size() < 26 || !head.startsWith("\x89PNG") || head.mid(12, 4) != "IHDR")
        return 0;
    const int depth = uchar(head.at(24));
    switch (head.at(25)) {
    case 0: case 3: return depth;       // grey, palette
    case 2: return 3 * depth;           // RGB
    case 4: return 2 * depth;           // grey and alpha
    case 6: return 4 * depth;           // RGBA
    default: return 0;
    }
}

// True when two strips (or tiles) of a TIFF's first picture share bytes of
// the file: then a small block of data, expanded once, stands for the whole
// picture many times over, and no bound on pixels a byte holds.
bool tiffStripsShareData(QFile &file)
{
    const qint64 start = file.pos();
    auto done = [&](bool shared) {
        file.seek(start);
        return shared;
    };
    file.seek(0);
    const QByteArray header = file.read(8);
    if (header.size() < 8 || (!header.startsWith("II*\0") && !header.startsWith("MM\0*")))
        return done(false);
    const bool little = header.at(0) == 'I';
    auto u16 = [&](const char *p) { return little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p); };
    auto u32 = [&](const char *p) { return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p); };
    if (!file.seek(u32(header.constData() + 4)))
        return done(false);
    const QByteArray countBytes = file.read(2);
    if (countBytes.size() < 2)
        return done(false);
    const QByteArray entries = file.read(12 * qint64(u16(countBytes.constData())));
    // A list of SHORT or LONG values, held in the entry or where it points.
    auto values = [&](const char *e) {
        std::vector<quint32> out;
        const int type = u16(e + 2);
        const quint32 count = u32(e + 4);
        const int size = type == 3 ? 2 : type == 4 ? 4 : 0;
        if (size == 0 || count == 0 || count > (1u << 20))
            return out;
        QByteArray data = QByteArray(e + 8, 4);
        if (qint64(count) * size > 4) {
            if (!file.seek(u32(e + 8)))
                return out;
            data = file.read(qint64(count) * size);
        }
        for (quint32 i = 0; i < count && qint64(i + 1) * size <= data.size(); ++i)
            out.push_back(size == 2 ? u16(data.constData() + i * 2) : u32(data.constData() + i * 4));
        return out;
    };
    std::vector<quint32> offsets, counts;
    for (int at = 0; at + 12 <= entries.size(); at += 12) {
        const char *e = entries.constData() + at;
        const int tag = u16(e);
        if (tag == 273 || tag == 324)        // strip or tile offsets
            offsets = values(e);
        else if (tag == 279 || tag == 325)   // their byte counts
            counts = values(e);
    }
    std::vector<std::pair<quint32, quint32>> blocks;
    for (size_t i = 0; i < offsets.size() && i < counts.size(); ++i)
        if (counts[i] > 0)
            blocks.emplace_back(offsets[i], counts[i]);
    std::sort(blocks.begin(), blocks.end());
    for (size_t i = 1; i < blocks.size(); ++i)
        if (qint64(blocks[i].first) < qint64(blocks[i - 1].first) + blocks[i - 1].second)
            return done(true);
    return done(false);
}

// Each picture in an icon file carries its size in its own header (PNG's
// IHDR, or the bitmap's info header at twice the height), and Qt's reader
// believes that header; the directory's size bytes stop at 256. So the
// inner headers are checked here, against the bytes the directory gives
// each picture, before Qt sees the file.
QString iconRefusal(QFile &file, const QByteArray &head, qint64 fileBytes)
{
    if (head.size() < 6 || head.at(0) != 0 || head.at(1) != 0 || (head.at(2) != 1 && head.at(2) != 2)
        || head.at(3) != 0)
        return {};
    const int count = qFromLittleEndian<quint16>(head.constData() + 4);
    const qint64 start = file.pos();
    const QByteArray directory = file.read(6 + 16 * qint64(count));
    QString why;
    for (int i = 0; i < count && why.isEmpty() && 6 + 16 * (i + 1) <= directory.size(); ++i) {
        const auto *e = reinterpret_cast<const uchar *>(directory.constData() + 6 + 16 * i);
        const qint64 bytes = std::min<qint64>(qFromLittleEndian<quint32>(e + 8), fileBytes);
        const qint64 offset = qFromLittleEndian<quint32>(e + 12);
        if (offset >= fileBytes || !file.seek(offset))
            continue;
        const QByteArray inner = file.read(24);
        if (inner.size() < 24)
            continue;
        const auto *b = reinterpret_cast<const uchar *>(inner.constData());
        qint64 w = 0, h = 0;
        if (inner.startsWith("\x89PNG")) {
            w = qFromBigEndian<quint32>(b + 16);
            h = qFromBigEndian<quint32>(b + 20);
        } else if (qFromLittleEndian<quint32>(b) >= 40) {
            w = qFromLittleEndian<qint32>(b + 4);
            h = std::abs(qint64(qFromLittleEndian<qint32>(b + 8))) / 2;   // colours and mask
        }
        if (w > 0 && h > 0)
            why = PictureLimits::refusal("ico", QSize(int(std::min<qint64>(w, INT_MAX)), int(std::min<qint64>(h, INT_MAX))),
                                         bytes);
    }
    file.seek(start);
    return why;
}

// The picture area a GIF's first frame needs: its logical screen, grown to
// hold the frame where the frame reaches beyond it (Qt's reader makes room
// for that). Invalid when the file is not laid out as a GIF.
QSize gifFirstFrameExtent(QFile &file)
{
    const qint64 start = file.pos();
    QSize extent;
    auto done = [&](QSize result) {
        file.seek(start);
        return result;
    };
    const QByteArray header = file.read(13);
    if (header.size() < 13 || !header.startsWith("GIF"))
        return done({});
    const auto *h = reinterpret_cast<const uchar *>(header.constData());
    int width = qFromLittleEndian<quint16>(h + 6), height = qFromLittleEndian<quint16>(h + 8);
    qint64 pos = 13 + ((h[10] & 0x80) ? 3 * (2 << (h[10] & 7)) : 0);
    auto skipBlocks = [&]() {
        for (int guard = 0; guard < 1 << 20; ++guard) {
            char size = 0;
            if (!file.seek(pos) || !file.getChar(&size))
                return false;
            pos += 1 + uchar(size);
            if (size == 0)
                return true;
        }
        return false;
    };
    for (int guard = 0; guard < 4096; ++guard) {
        char kind = 0;
        if (!file.seek(pos) || !file.getChar(&kind))
            return done({});
        if (kind == 0x21) {            // an extension: its label, then blocks
            pos += 2;
            if (!skipBlocks())
                return done({});
        } else if (kind == 0x2C) {     // the first frame
            const QByteArray d = file.read(9);
            if (d.size() < 9)
                return done({});
            const auto *b = reinterpret_cast<const uchar *>(d.constData());
            width = std::max(width, qFromLittleEndian<quint16>(b) + qFromLittleEndian<quint16>(b + 4));
            height = std::max(height, qFromLittleEndian<quint16>(b + 2) + qFromLittleEndian<quint16>(b + 6));
            return done(QSize(width, height));
        } else {
            return done({});
        }
    }
    return done({});
}

// An icon file holds several pictures: take the largest (by area, then
// depth) of those the limits allow.
LoadedPicture readLargestIcon(QImageReader &reader, qint64 fileBytes)
{
    LoadedPicture result;
    QImage best;
    QString refused;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        PictureLimits::Reservation hold;
        if (size.isValid()) {
            const QString why = PictureLimits::refusal("ico", size, fileBytes);
            if (!why.isEmpty()) {
                refused = why;
                continue;
            }
            hold.take(PictureLimits::decodeCost(size));
        }
        QImage image;
        if (!reader.read(&image))
            continue;
        const qint64 area = qint64(image.width()) * image.height();
        const qint64 bestArea = qint64(best.width()) * best.height();
        if (best.isNull() || area > bestArea || (area == bestArea && image.depth() > best.depth()))
            best = image;
    }
    if (best.isNull())
        result.error = refused.isEmpty() ? reader.errorString() : refused;
    result.image = best;
    result.sourceSize = best.size();
    return result;
}

// What the loader tells a decoder about sizes: the request's rule, and the
// limits and reservation for what the decoder will allocate.
class LoaderSizes : public PictureDecoder::Sizes {
public:
    LoaderSizes(const PictureDecoder &decoder, const PictureLoader::LoadRequest &request, qint64 fileBytes,
                LoadedPicture &result)
        : m_decoder(decoder), m_request(request), m_fileBytes(fileBytes), m_result(result)
    {
    }

    QSize wanted(const QSize &natural) const override
    {
        return m_request.sizeRule ? m_request.sizeRule(natural) : natural;
    }

    QSize admit(const QSize &natural, const QSize &decoded) override
    {
        m_result.sourceSize = natural;
        QSize want = wanted(natural);
        // A drawing is made at the size wanted (or as large as it may be); a
        // raster is decoded first.
        if (m_decoder.isVector()) {
            want = PictureLimits::drawingSize(want, PictureLimits::budgetBytes());
            if (want.isEmpty())
                refused = QStringLiteral("The picture is too large (%1 x %2 pixels)").arg(want.width()).arg(want.height());
        } else {
            refused = PictureLimits::refusal(m_decoder.format(), decoded, m_fileBytes);
        }
        const QSize held = m_decoder.isVector() ? want : decoded;
        const qint64 cost = qint64(std::ceil(double(held.width()) * held.height() * m_decoder.bytesPerPixel()));
        if (refused.isEmpty() && !m_hold.take(cost + outputCost(want)))
            refused = PictureLimits::refusal("", held, -1);
        granted = refused.isEmpty() ? want : QSize();
        return granted;
    }

    bool quickPreview() const override { return m_request.quickPreview; }
    void gavePreview() override { m_result.preview = true; }

    QString refused;
    QSize granted;   // what admit answered

private:
    const PictureDecoder &m_decoder;
    const PictureLoader::LoadRequest &m_request;
    const qint64 m_fileBytes;
    LoadedPicture &m_result;
    PictureLimits::Reservation m_hold;
};

LoadedPicture readWithDecoder(const PictureDecoder &decoder, QFile &file, const PictureLoader::LoadRequest &request)
{
    LoadedPicture result;
    const qint64 fileBytes = file.size();
    if (fileBytes > MaxDecoderFileBytes) {
        result.error = QStringLiteral("file too large for a %1 picture").arg(QString::fromLatin1(decoder.format().toUpper()));
        return result;
    }
    const QByteArray data = file.readAll();
    LoaderSizes sizes(decoder, request, fileBytes, result);
    QImage image = decoder.decode(data, sizes, &result.error);
    if (!sizes.refused.isEmpty())
        result.error = sizes.refused;
    if (image.isNull())
        return result;
    // A preview standing in is shown at the picture's own size.
    const QSize own = result.preview ? result.sourceSize : image.size();
    // A drawing stays at the size it could be drawn at.
    const QSize want = decoder.isVector() && sizes.granted.isValid() ? sizes.granted
        : request.sizeRule ? request.sizeRule(result.sourceSize) : own;
    result.image = finish(image, want, request.keepAlpha, request.background);
    if (result.image.isNull())
        result.error = QStringLiteral("out of memory");
    return result;
}

// The quick view of a large JPEG (see LoadRequest::quickPreview), or a
// result that is not ok() when the file offers none.
LoadedPicture quickJpegView(QFile &file, const QSize &source, const QSize &want,
                            const PictureLoader::LoadRequest &request, const QByteArray &icc)
{
    LoadedPicture result;
    const bool ownSize = want == source;
    if (ownSize && request.view.isEmpty())
        return result;
    // At its own size, what the screen shows and more around it, so that a
    // first move of the picture finds pixels: half as much again across
    // (nearly free: a row's entropy data is decoded whole anyway), an
    // eighth more down.
    const QSize reach = ownSize ? QSize(request.view.width() * 3 / 2, request.view.height() * 9 / 8).boundedTo(source)
                                : want;
    if (ownSize && reach == source)
        return result;   // the part would be the whole picture
    // The view's pixels (grown to MCU edges and whole intervals, or a row
    // of an eighth of the width for each row wanted), the fitted copy and
    // the coded data copied.
    const qint64 pixels = ownSize ? qint64(reach.width() + 32) * (reach.height() + 256)
                                  : qint64(source.width() / 8 + 1) * (want.height() + 16) + qint64(want.width()) * want.height();
    PictureLimits::Reservation hold;
    if (!hold.take(pixels * PictureLimits::BytesPerPixel + jpegquickview::neededBytes(file.size(), source)))
        return result;
    const uchar *data = file.map(0, file.size());
    if (!data)
        return result;
    jpegquickview::View view;
    if (ownSize) {
        const QRect around(QPoint((source.width() - reach.width()) / 2, (source.height() - reach.height()) / 2),
                           reach);
        view = jpegquickview::part(data, file.size(), around);
    } else {
        view = jpegquickview::reduced(data, file.size(), want);
        // Without restart markers, a camera's thumbnail of the picture (a
        // phone's panorama carries one), blurred up to the size wanted.
        if (view.image.isNull()) {
            view.image = exifthumbnail::standIn(exifthumbnail::read(file), source, QSize(1, 1), false);
            view.area = QRect(QPoint(), source);
        }
    }
    file.unmap(const_cast<uchar *>(data));
    if (view.image.isNull())
        return result;
    result.sourceSize = source;
    result.previewArea = view.area;
    result.preview = true;
    result.image = finish(SrgbConverter::shared().toSrgb(std::move(view.image), icc), ownSize ? QSize() : want,
                          request.keepAlpha, request.background);
    return result;
}

LoadedPicture readWithQt(QFile &file, const QByteArray &head, const PictureLoader::LoadRequest &request)
{
    LoadedPicture result;
    const qint64 fileBytes = file.size();
    result.error = iconRefusal(file, head, fileBytes);
    if (!result.error.isEmpty())
        return result;
    // Colours as the picture was made: read before the reader takes the file.
    const QByteArray icc = embeddedIccProfile(file);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        result.error = QStringLiteral("not a picture that Glintwave can read");
        return result;
    }
    const PictureLoader::SizeRule &rule = request.sizeRule;

    if (format == "ico" || format == "cur") {
        LoadedPicture icon = readLargestIcon(reader, fileBytes);
        if (!icon.ok())
            return icon;
        const QSize want = rule ? rule(icon.sourceSize) : icon.sourceSize;
        icon.image = finish(icon.image, want, request.keepAlpha, request.background);
        return icon;
    }

    QSize raw = reader.size();
    const BmpHeader bmp = format == "bmp" ? bmpHeader(head) : BmpHeader();
    if (bmp.valid && !raw.isValid())
        raw = QSize(int(std::clamp<qint64>(bmp.width, 0, INT_MAX)), int(std::min<qint64>(bmp.height, INT_MAX)));
    if (format == "gif") {
        const QSize frame = gifFirstFrameExtent(file);
        if (frame.isValid())
            raw = raw.isValid() ? raw.expandedTo(frame) : frame;
    }
    if (raw.isValid() || bmp.valid) {
        // A JPEG shrinks while it is read: the budget is weighed below, on
        // what the decode will hold, so a picture too large whole still
        // opens fitted to a screen.
        const qint64 budget = format == "jpeg" && rule ? std::numeric_limits<qint64>::max()
                                                       : PictureLimits::budgetBytes();
        result.error = PictureLimits::refusal(format, raw, fileBytes, budget,
                                              format == "png" ? pngBitsPerPixel(head) : 0);
        if (result.error.isEmpty() && format == "bmp")
            result.error = bmpShortfall(bmp, fileBytes);
        if (result.error.isEmpty() && format == "tiff" && tiffStripsShareData(file))
            result.error = QStringLiteral("damaged picture (its strips share their data)");
        if (!result.error.isEmpty())
            return result;
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    QSize want;
    QSize decoded = raw;
    if (raw.isValid()) {
        result.sourceSize = turned ? raw.transposed() : raw;
        want = rule ? rule(result.sourceSize) : result.sourceSize;
        // Let the decoder shrink (JPEG scales while decoding); enlarging is
        // left to the smooth resample below.
        if (want.isValid() && !want.isEmpty() && want.width() <= result.sourceSize.width()
            && want.height() <= result.sourceSize.height() && want != result.sourceSize) {
            decoded = turned ? want.transposed() : want;
            reader.setScaledSize(decoded);
        }
    }
    // A thumbnail wanted: a camera's own, in the EXIF, saves the decode.
    if (format == "jpeg" && icc.isEmpty() && want.isValid() && want.width() <= exifthumbnail::LargestSide
        && want.height() <= exifthumbnail::LargestSide) {
        const QImage stored = exifthumbnail::standIn(exifthumbnail::read(file), result.sourceSize, want, turned);
        if (!stored.isNull()) {
            result.image = finish(oriented(stored, reader.transformation()), want, request.keepAlpha,
                                  request.background);
            if (result.image.isNull())
                result.error = QStringLiteral("out of memory");
            return result;
        }
    }
    // A reader that knows no size beforehand is held by Qt's allocation
    // limit alone; it still counts as a small picture here.
    PictureLimits::Reservation hold;
    // What the decode holds: JPEG shrinks while decoding, by 1/2, 1/4 or
    // 1/8, then the smooth resample or the flattening makes a copy.
    QSize full = raw;
    if (format == "jpeg" && decoded != raw)
        full = decoded.expandedTo(QSize((raw.width() + 7) / 8, (raw.height() + 7) / 8));
    const bool copied = format != "jpeg" || full != (turned ? want.transposed() : want);
    const qint64 cost = raw.isValid()
        ? PictureLimits::decodeCost(full) + (copied ? outputCost(want) : 0)
        : PictureLimits::SmallPixels * PictureLimits::BytesPerPixel;
    if (!hold.take(cost)) {
        result.error = PictureLimits::refusal(format, full, -1);
        if (result.error.isEmpty())
            result.error = QStringLiteral("picture too large for the memory allowed");
        return result;
    }
    const JpegColours jpeg = format == "jpeg" ? jpegColours(file) : JpegColours();
    // A quick view only of a picture whose whole decode is allowed: the
    // whole one follows it.
    if (request.quickPreview && jpeg.components == 3 && raw.isValid()
        && qint64(raw.width()) * raw.height() >= PictureLoader::QuickViewFromPixels
        && reader.transformation() == QImageIOHandler::TransformationNone) {
        LoadedPicture quick = quickJpegView(file, raw, want, request, icc);
        if (quick.ok())
            return quick;
    }
    QImage image;
    if (request.pixelStore && raw.isValid() && decoded == raw && want == raw && !request.keepAlpha
        && reader.transformation() == QImageIOHandler::TransformationNone && jpeg.components != 4
        && reader.imageFormat() == QImage::Format_RGB32)
        image = request.pixelStore(raw, QImage::Format_RGB32);   // Qt's readers decode into it
    if (jpeg.components == 4 && raw.isValid() && fileBytes <= MaxDecoderFileBytes) {
        file.seek(0);
        image = oriented(decodeCmykJpeg(file.readAll(), decoded, icc, jpeg.adobeInverted, &result.error),
                         reader.transformation());
        if (image.isNull())
            return result;
    } else if (const SrgbConverter::RowConversion toSrgb =
                   format == "jpeg" && jpeg.components == 3 && raw.isValid() && decoded == raw
                       ? SrgbConverter::shared().rowsToSrgb(icc)
                       : SrgbConverter::RowConversion()) {
        // A photo at its own size: its rows are converted while the next
        // ones are decoded.
        file.seek(0);
        image = oriented(decodeJpegInBands(file, toSrgb, &result.error, std::move(image)),
                         reader.transformation());
        if (image.isNull())
            return result;
        image.setColorSpace(QColorSpace::SRgb);
    } else if (!reader.read(&image)) {
        result.error = reader.errorString();
        return result;
    } else {
        image = SrgbConverter::shared().toSrgb(std::move(image), icc);
    }
    if (!raw.isValid()) {
        result.sourceSize = image.size();
        want = rule ? rule(result.sourceSize) : result.sourceSize;
    }
    result.image = finish(image, want, request.keepAlpha, request.background);
    if (result.image.isNull() && result.error.isEmpty())
        result.error = QStringLiteral("out of memory");
    return result;
}

std::atomic<DecoderPool *> &decoderPool()
{
    static std::atomic<DecoderPool *> pool{nullptr};
    return pool;
}

} // namespace

namespace PictureLoader {

void setDecoderPool(DecoderPool *pool)
{
    decoderPool().store(pool);
}

LoadedPicture load(const QString &path, const LoadRequest &request)
{
    PictureLimits::applyToImageReader();
    // Opened here rather than by QImageReader, so that a failure is told in
    // the system's words and not as "File not found"; without waiting, and
    // only a regular file is read: a named pipe, a device or a socket could
    // block for ever or never end.
    LoadedPicture failed;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        failed.error = qt_error_string(errno);
        if (fd >= 0)
            ::close(fd);
        return failed;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        failed.error = QStringLiteral("not a regular file");
        return failed;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (DecoderPool *pool = decoderPool().load()) {
        const DecoderPool::Result r =
            pool->decode(fd, request.sizeRule, request.keepAlpha, request.background, request.quickPreview,
                         request.view);
        ::close(fd);
        LoadedPicture result;
        result.image = r.image;
        result.sourceSize = r.sourceSize;
        result.error = r.error;
        result.preview = r.preview;
        result.previewArea = r.previewArea;
        return result;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    // By content: a metafile with another extension still opens, and a JPEG
    // named .wmf goes to the image reader.
    const QByteArray head = file.peek(PictureDecoder::HeadBytes);
    if (const auto decoder = PictureDecoders::find(head))
        return readWithDecoder(*decoder, file, request);
    return readWithQt(file, head, request);
}

LoadedPicture load(const QString &path, QColor background)
{
    return load(path, LoadRequest{{}, false, background});
}

LoadedPicture loadFitted(const QString &path, const SizeRule &rule, QColor background)
{
    return load(path, LoadRequest{rule, false, background});
}

QSize fitInside(const QSize &source, int edge)
{
    if (source.isEmpty() || edge <= 0)
        return QSize();
    const double scale = std::min(double(edge) / source.width(), double(edge) / source.height());
    return QSize(std::clamp(int(std::lround(source.width() * scale)), 1, edge),
                 std::clamp(int(std::lround(source.height() * scale)), 1, edge));
}

LoadedPicture loadThumbnail(const QString &path, int edge)
{
    return load(path, LoadRequest{[edge](const QSize &s) { return fitInside(s, edge); }, true, Qt::black});
}

QImage squareThumbnail(const QImage &fitted, int edge)
{
    QImage square(edge, edge, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    if (fitted.isNull())
        return square;
    QPainter painter(&square);
    painter.drawImage((edge - fitted.width()) / 2, (edge - fitted.height()) / 2, fitted);
    return square;
}

}
