#include "viewer/BandedJpeg.h"
#include "viewer/JpegErrors.h"

#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <jpeglib.h>
#include <jerror.h>

namespace {
// Small enough that the band left to finish after the decode is short,
// large enough that the threads rarely wait on each other.
constexpr int RowsPerBand = 16;
// Below this a second thread costs more than it saves.
constexpr qint64 SharedFromPixels = qint64(1) << 20;

// Rows decoded so far, told to the threads that finish them.
class Progress {
public:
    explicit Progress(int height) : m_bands((height + RowsPerBand - 1) / RowsPerBand), m_height(height) {}

    void decoded(int rows)
    {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_decoded = rows;
        }
        m_changed.notify_all();
    }
    void stop()
    {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_stopped = true;
        }
        m_changed.notify_all();
    }
    // Takes bands in turn and finishes each once it is decoded, until none
    // is left or the decode stopped short of the band.
    template <typename Finish>
    void finishBands(Finish finish)
    {
        for (int band = m_next++; band < m_bands; band = m_next++) {
            const int first = band * RowsPerBand, last = std::min(m_height, first + RowsPerBand);
            {
                std::unique_lock<std::mutex> hold(m_lock);
                m_changed.wait(hold, [&] { return m_decoded >= last || m_stopped; });
                if (m_decoded < last)
                    return;
            }
            for (int y = first; y < last; ++y)
                finish(y);
        }
    }

private:
    const int m_bands, m_height;
    std::atomic<int> m_next{0};
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_decoded = 0;
    bool m_stopped = false;
};

// The file read in pieces as libjpeg asks, so that no more of it is held
// than Qt's reader holds; past its end, an end marker as libjpeg's own
// sources give (with a warning), so a file cut short decodes alike.
struct DeviceSource {
    jpeg_source_mgr manager;
    QIODevice *device;
    bool ended = false;
    JOCTET buffer[64 * 1024];

    static void nothing(j_decompress_ptr) {}
    static boolean fill(j_decompress_ptr info)
    {
        auto *self = reinterpret_cast<DeviceSource *>(info->src);
        qint64 n = self->device->read(reinterpret_cast<char *>(self->buffer), sizeof self->buffer);
        if (n <= 0) {
            self->ended = true;
            WARNMS(info, JWRN_JPEG_EOF);
            self->buffer[0] = 0xFF;
            self->buffer[1] = JPEG_EOI;
            n = 2;
        }
        self->manager.next_input_byte = self->buffer;
        self->manager.bytes_in_buffer = size_t(n);
        return TRUE;
    }
    static void skip(j_decompress_ptr info, long bytes)
    {
        auto *self = reinterpret_cast<DeviceSource *>(info->src);
        jpeg_source_mgr &source = self->manager;
        while (bytes > long(source.bytes_in_buffer)) {
            bytes -= long(source.bytes_in_buffer);
            fill(info);
            if (self->ended)
                return;   // nothing left to skip: the end marker is what comes next
        }
        if (bytes > 0) {
            source.next_input_byte += bytes;
            source.bytes_in_buffer -= size_t(bytes);
        }
    }
    explicit DeviceSource(QIODevice &from) : device(&from)
    {
        manager.next_input_byte = nullptr;
        manager.bytes_in_buffer = 0;
        manager.init_source = nothing;
        manager.fill_input_buffer = fill;
        manager.skip_input_data = skip;
        manager.resync_to_restart = jpeg_resync_to_restart;
        manager.term_source = nothing;
    }
};

// libjpeg's parts; each returns false with the message on a fatal error.
// No object with a destructor lives in their frames, which an error leaves.
bool startDecode(jpeg_decompress_struct &info, JpegErrors &error, DeviceSource &source)
{
    if (setjmp(error.jump))
        return false;
    info.src = &source.manager;
    jpeg_read_header(&info, TRUE);
    if (info.num_components != 3) {
        std::snprintf(error.message, sizeof error.message, "not a three-component JPEG");
        return false;
    }
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&info);
    return true;
}

bool decodeRows(jpeg_decompress_struct &info, JpegErrors &error, QImage &out, Progress &progress)
{
    if (setjmp(error.jump))
        return false;
    JSAMPROW rows[RowsPerBand];
    while (info.output_scanline < info.output_height) {
        const int first = int(info.output_scanline);
        const int wanted = std::min<int>(RowsPerBand, out.height() - first);
        for (int i = 0; i < wanted; ++i)
            rows[i] = out.scanLine(first + i);
        int got = 0;
        while (got < wanted) {
            const JDIMENSION n = jpeg_read_scanlines(&info, rows + got, JDIMENSION(wanted - got));
            if (n == 0)
                break;   // the source never suspends: nothing more will come
            got += int(n);
        }
        progress.decoded(first + got);
        if (got < wanted)
            break;
    }
    return int(info.output_scanline) == out.height();
}
} // namespace

QImage decodeJpegInBands(QIODevice &file, const std::function<void(uchar *row, int width)> &finish,
                         QString *error, QImage into)
{
    jpeg_decompress_struct info;
    JpegErrors failure;
    failure.attachTo(info);
    jpeg_create_decompress(&info);
    auto source = std::make_unique<DeviceSource>(file);
    QImage out;
    if (startDecode(info, failure, *source)) {
        const QSize size(int(info.output_width), int(info.output_height));
        out = into.size() == size && into.format() == QImage::Format_RGB32 ? std::move(into)
                                                                           : QImage(size, QImage::Format_RGB32);
    }
    if (out.isNull() || !out.bits()) {
        *error = failure.message[0] ? QString::fromLocal8Bit(failure.message) : QStringLiteral("out of memory");
        jpeg_destroy_decompress(&info);
        return QImage();
    }
    Progress progress(out.height());
    const auto finishRow = [&](int y) { finish(out.scanLine(y), out.width()); };
    std::thread helper;
    if (qint64(out.width()) * out.height() >= SharedFromPixels) {
        try {
            helper = std::thread([&] { progress.finishBands(finishRow); });
        } catch (const std::system_error &) {
            // No thread to be had: this one finishes every band after the decode.
        }
    }
    const bool whole = decodeRows(info, failure, out, progress);
    jpeg_destroy_decompress(&info);
    progress.stop();
    progress.finishBands(finishRow);   // this thread's share of what is left
    if (helper.joinable())
        helper.join();
    if (!whole) {
        *error = failure.message[0] ? QString::fromLocal8Bit(failure.message)
                                    : QStringLiteral("damaged picture (its rows end early)");
        return QImage();
    }
    return out;
}
