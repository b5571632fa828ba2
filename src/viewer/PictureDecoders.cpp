// The one registry of Glintwave's own decoders.
#include "viewer/PictureDecoder.h"

#include "viewer/HeifDecoder.h"
#include "viewer/JpegXlDecoder.h"
#include "viewer/RawDecoder.h"
#include "viewer/SvgDecoder.h"
#include "viewer/WmfRender.h"

#include <mutex>
#include <vector>

namespace PictureDecoders {

namespace {
struct DecoderList {
    std::mutex lock;
    std::vector<std::shared_ptr<const PictureDecoder>> decoders{
        std::make_shared<HeifDecoder>(), std::make_shared<JpegXlDecoder>(), std::make_shared<RawDecoder>(), std::make_shared<SvgDecoder>(), std::make_shared<WmfDecoder>()};
};

DecoderList &decoderList()
{
    static DecoderList list;
    return list;
}
} // namespace

void add(std::shared_ptr<const PictureDecoder> decoder)
{
    DecoderList &list = decoderList();
    std::lock_guard<std::mutex> hold(list.lock);
    list.decoders.insert(list.decoders.begin(), std::move(decoder));
}

std::shared_ptr<const PictureDecoder> find(const QByteArray &head)
{
    DecoderList &list = decoderList();
    std::lock_guard<std::mutex> hold(list.lock);
    for (const auto &d : list.decoders)
        if (d->claims(head))
            return d;
    return nullptr;
}

}
