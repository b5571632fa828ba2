#include "viewer/HeifDecoder.h"

#include "viewer/LazyLibrary.h"
#include "viewer/NclxProfile.h"
#include "viewer/PictureLimits.h"
#include "viewer/SrgbConverter.h"

#include <libheif/heif.h>

#include <memory>
#include <vector>

namespace {
// libheif, opened when the first HEIF or AVIF picture comes.
#define GW_HEIF_FUNCTIONS(X) \
    X(heif_check_filetype) \
    X(heif_context_alloc) \
    X(heif_context_free) \
    X(heif_context_get_primary_image_handle) \
    X(heif_context_read_from_memory_without_copy) \
    X(heif_context_set_maximum_image_size_limit) \
    X(heif_decode_image) \
    X(heif_image_get_height) \
    X(heif_image_get_plane_readonly) \
    X(heif_image_get_width) \
    X(heif_image_handle_get_color_profile_type) \
    X(heif_image_handle_get_height) \
    X(heif_image_handle_get_list_of_thumbnail_IDs) \
    X(heif_image_handle_get_nclx_color_profile) \
    X(heif_image_handle_get_number_of_thumbnails) \
    X(heif_image_handle_get_raw_color_profile) \
    X(heif_image_handle_get_raw_color_profile_size) \
    X(heif_image_handle_get_thumbnail) \
    X(heif_image_handle_get_width) \
    X(heif_image_handle_has_alpha_channel) \
    X(heif_image_handle_release) \
    X(heif_image_release) \
    X(heif_nclx_color_profile_free)

struct Heif {
    GW_HEIF_FUNCTIONS(GW_LAZY_DECLARE)
    QString problem;   // empty when every function is there
};

const Heif &heif()
{
    // Opened once; a file of the format may come on any worker.
    static const Heif table = [] {
        Heif t;
#define GW_HEIF_RESOLVE(f) GW_LAZY_RESOLVE(GW_LIBHEIF, t, f)
        GW_HEIF_FUNCTIONS(GW_HEIF_RESOLVE)
#undef GW_HEIF_RESOLVE
        return t;
    }();
    return table;
}

struct ContextFree { void operator()(heif_context *c) const { heif().heif_context_free(c); } };
struct HandleFree { void operator()(heif_image_handle *h) const { heif().heif_image_handle_release(h); } };
struct ImageFree { void operator()(heif_image *i) const { heif().heif_image_release(i); } };

bool failed(const heif_error &e, QString *error)
{
    if (e.code == heif_error_Ok)
        return false;
    if (error)
        *error = QString::fromUtf8(e.message);
    return true;
}
// The smallest embedded thumbnail at least `wanted` in both directions, or
// null. The caller owns the handle.
heif_image_handle *smallestThumbnailCovering(const heif_image_handle *primary, const QSize &wanted)
{
    const int count = heif().heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif().heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    heif_image_handle *best = nullptr;
    qint64 bestArea = 0;
    for (heif_item_id id : ids) {
        heif_image_handle *thumb = nullptr;
        if (heif().heif_image_handle_get_thumbnail(primary, id, &thumb).code != heif_error_Ok || !thumb)
            continue;
        const int w = heif().heif_image_handle_get_width(thumb), h = heif().heif_image_handle_get_height(thumb);
        const qint64 area = qint64(w) * h;
        if (w >= wanted.width() && h >= wanted.height() && (!best || area < bestArea)) {
            if (best)
                heif().heif_image_handle_release(best);
            best = thumb;
            bestArea = area;
        } else {
            heif().heif_image_handle_release(thumb);
        }
    }
    return best;
}

// The picture's colours as an ICC profile: the one it carries, or one made
// from its colour code points.
QByteArray colourProfile(const heif_image_handle *handle)
{
    switch (heif().heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        QByteArray icc(qsizetype(heif().heif_image_handle_get_raw_color_profile_size(handle)), '\0');
        if (icc.isEmpty() || heif().heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return icc;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx *nclx = nullptr;
        if (heif().heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx)
            return {};
        const float primaries[8] = {nclx->color_primary_red_x,   nclx->color_primary_red_y,
                                    nclx->color_primary_green_x, nclx->color_primary_green_y,
                                    nclx->color_primary_blue_x,  nclx->color_primary_blue_y,
                                    nclx->color_primary_white_x, nclx->color_primary_white_y};
        const QByteArray icc = nclxProfile(primaries, int(nclx->transfer_characteristics));
        heif().heif_nclx_color_profile_free(nclx);
        return icc;
    }
    default:
        return {};
    }
}
} // namespace

bool HeifDecoder::claims(const QByteArray &head) const
{
    // Every HEIF and AVIF file starts with its file type box: no other file
    // needs the library loaded to be turned down. Without the library the
    // file is still claimed, so that decode() says what is missing.
    if (head.size() < 12 || head.mid(4, 4) != "ftyp")
        return false;
    if (!heif().problem.isEmpty())
        return true;
    const heif_filetype_result r =
        heif().heif_check_filetype(reinterpret_cast<const uint8_t *>(head.constData()), int(head.size()));
    return r == heif_filetype_yes_supported || r == heif_filetype_yes_unsupported;
}

QImage HeifDecoder::decode(const QByteArray &data, Sizes &sizes, QString *error) const
{
    if (!heif().problem.isEmpty()) {
        *error = heif().problem;
        return {};
    }
    std::unique_ptr<heif_context, ContextFree> ctx(heif().heif_context_alloc());
    if (!ctx)
        return {};
    // libheif's own bound: no side beyond ours.
    heif().heif_context_set_maximum_image_size_limit(ctx.get(), PictureLimits::MaxSide);
    if (failed(heif().heif_context_read_from_memory_without_copy(ctx.get(), data.constData(), size_t(data.size()), nullptr),
               error))
        return {};
    heif_image_handle *rawHandle = nullptr;
    if (failed(heif().heif_context_get_primary_image_handle(ctx.get(), &rawHandle), error))
        return {};
    std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);

    // The header's size (after rotation).
    const QSize natural(heif().heif_image_handle_get_width(handle.get()), heif().heif_image_handle_get_height(handle.get()));
    QSize decoded = natural;
    const QByteArray icc = colourProfile(handle.get());
    const QSize wanted = sizes.wanted(natural);
    if (wanted.isValid() && !wanted.isEmpty() && wanted != natural) {
        if (heif_image_handle *thumb = smallestThumbnailCovering(handle.get(), wanted)) {
            handle.reset(thumb);
            decoded = QSize(heif().heif_image_handle_get_width(thumb), heif().heif_image_handle_get_height(thumb));
        }
    }
    // Checked, and the memory reserved, before anything is decoded.
    if (sizes.admit(natural, decoded).isEmpty())
        return {};

    const bool alpha = heif().heif_image_handle_has_alpha_channel(handle.get());
    heif_image *rawImage = nullptr;
    if (failed(heif().heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr),
               error))
        return {};
    std::unique_ptr<heif_image, ImageFree> image(rawImage);
    int stride = 0;
    const uint8_t *plane = heif().heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int w = heif().heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif().heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || w <= 0 || h <= 0) {
        if (error)
            *error = QStringLiteral("The picture has no pixels");
        return {};
    }
    // A view on libheif's buffer, copied out before the buffer goes.
    const QImage view(plane, w, h, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    QImage out = SrgbConverter::shared().toSrgb(view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32), icc);
    if (out.isNull() && error)
        *error = QStringLiteral("out of memory");
    return out;
}
