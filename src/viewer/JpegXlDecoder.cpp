#include "viewer/JpegXlDecoder.h"

#include "viewer/SrgbConverter.h"

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

#include <QThread>

#include <memory>

namespace {
struct DecoderFree { void operator()(JxlDecoder *d) const { JxlDecoderDestroy(d); } };
struct RunnerFree { void operator()(void *r) const { JxlThreadParallelRunnerDestroy(r); } };
} // namespace

bool JpegXlDecoder::claims(const QByteArray &head) const
{
    const JxlSignature s = JxlSignatureCheck(reinterpret_cast<const uint8_t *>(head.constData()), size_t(head.size()));
    return s == JXL_SIG_CODESTREAM || s == JXL_SIG_CONTAINER;
}

QImage JpegXlDecoder::decode(const QByteArray &data, Sizes &sizes, QString *error) const
{
    std::unique_ptr<JxlDecoder, DecoderFree> dec(JxlDecoderCreate(nullptr));
    std::unique_ptr<void, RunnerFree> runner(
        JxlThreadParallelRunnerCreate(nullptr, size_t(std::max(1, QThread::idealThreadCount()))));
    if (!dec || !runner
        || JxlDecoderSubscribeEvents(dec.get(), JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE)
               != JXL_DEC_SUCCESS
        || JxlDecoderSetParallelRunner(dec.get(), JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS) {
        *error = QStringLiteral("out of memory");
        return {};
    }
    JxlDecoderSetInput(dec.get(), reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size()));
    JxlDecoderCloseInput(dec.get());
    const JxlPixelFormat rgba{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlBasicInfo info{};
    QByteArray icc;
    QImage image;
    for (;;) {
        switch (JxlDecoderProcessInput(dec.get())) {
        case JXL_DEC_BASIC_INFO: {
            if (JxlDecoderGetBasicInfo(dec.get(), &info) != JXL_DEC_SUCCESS)
                break;
            // Orientations 5 to 8 turn the picture a quarter.
            const QSize stored(int(std::min<uint32_t>(info.xsize, INT_MAX)), int(std::min<uint32_t>(info.ysize, INT_MAX)));
            const QSize natural = info.orientation > 4 ? stored.transposed() : stored;
            if (sizes.admit(natural, natural).isEmpty())
                return {};
            continue;
        }
        case JXL_DEC_COLOR_ENCODING: {
            size_t size = 0;
            if (JxlDecoderGetICCProfileSize(dec.get(), &rgba, JXL_COLOR_PROFILE_TARGET_DATA, &size) == JXL_DEC_SUCCESS
                && size > 0 && size < (4u << 20)) {
                icc.resize(qsizetype(size));
                if (JxlDecoderGetColorAsICCProfile(dec.get(), &rgba, JXL_COLOR_PROFILE_TARGET_DATA,
                                                   reinterpret_cast<uint8_t *>(icc.data()), size) != JXL_DEC_SUCCESS)
                    icc.clear();
            }
            continue;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            const bool turned = info.orientation > 4;
            image = QImage(int(turned ? info.ysize : info.xsize), int(turned ? info.xsize : info.ysize),
                           QImage::Format_RGBA8888);
            size_t needed = 0;
            if (image.isNull() || JxlDecoderImageOutBufferSize(dec.get(), &rgba, &needed) != JXL_DEC_SUCCESS
                || needed != size_t(image.sizeInBytes())
                || JxlDecoderSetImageOutBuffer(dec.get(), &rgba, image.bits(), needed) != JXL_DEC_SUCCESS) {
                *error = image.isNull() ? QStringLiteral("out of memory") : QStringLiteral("damaged picture");
                return {};
            }
            continue;
        }
        case JXL_DEC_FULL_IMAGE:
        case JXL_DEC_SUCCESS:
            if (image.isNull())
                break;
            return SrgbConverter::shared().toSrgb(
                image.convertToFormat(info.alpha_bits ? QImage::Format_ARGB32 : QImage::Format_RGB32), icc);
        default:
            break;
        }
        // An error, or a file that ends before its picture does.
        *error = QStringLiteral("damaged picture");
        return {};
    }
}
