#include "viewer/AnimationReader.h"

#include "viewer/PictureLimits.h"

#include <QPainter>
#include <QtEndian>

#include <zlib.h>

namespace {
const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

// Delays this short are a tool's "as fast as you can"; players agree on a tenth.
int playableDelay(int ms)
{
    return ms < 20 ? 100 : ms;
}

quint32 be32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

quint16 be16(const char *p)
{
    return qFromBigEndian<quint16>(p);
}

void appendChunk(QByteArray &png, const QByteArray &type, const QByteArray &data)
{
    char length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    png.append(length, 4);
    const QByteArray body = type + data;
    png.append(body);
    char crc[4];
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))),
                          crc);
    png.append(crc, 4);
}
} // namespace

AnimationReader::AnimationReader(const QString &path)
    : m_path(path), m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return;
    }
    m_fileBytes = m_file.size();
    if (m_file.peek(8) == PngSignature) {
        m_format = "png";
        if (!parsePng())
            m_frameCount = 0;
        return;
    }
    m_file.close();
    openQt();
    if (m_qt) {
        m_format = m_qt->format();
        m_frameCount = m_qt->supportsAnimation() ? m_qt->imageCount() : 1;
        // Qt counts the plays after the first; -1 is for ever.
        const int loops = m_qt->loopCount();
        m_plays = loops < 0 ? 0 : loops + 1;
        m_size = m_qt->size();
    }
}

AnimationReader::~AnimationReader() = default;

int AnimationReader::picturesHeld() const
{
    return int(!m_canvas.isNull()) + int(!m_saved.isNull());
}

bool AnimationReader::allowed(const QSize &size)
{
    const QString why = PictureLimits::refusal(m_format, size, m_fileBytes);
    if (why.isEmpty())
        return true;
    m_error = why;
    return false;
}

bool AnimationReader::next(Frame *frame)
{
    if (m_frameCount < 1 || !m_error.isEmpty())
        return false;
    int index = m_index + 1;
    if (index >= m_frameCount) {
        if (m_plays != 0 && m_play + 1 >= m_plays)
            return false;
        ++m_play;
        index = 0;
        if (m_format != "png") {
            openQt();   // Qt's readers only go forwards
            if (!m_qt)
                return false;
        }
    }
    m_index = index;
    return m_format == "png" ? nextPng(frame) : nextQt(frame);
}

void AnimationReader::openQt()
{
    m_qt = std::make_unique<QImageReader>(m_path);
    if (!m_qt->canRead()) {
        m_error = m_qt->errorString();
        m_qt.reset();
    }
}

bool AnimationReader::nextQt(Frame *frame)
{
    const QSize size = m_qt->size();
    if (!allowed(size.isValid() ? size : m_size))
        return false;
    QImage image;
    if (!m_qt->read(&image)) {
        m_error = m_qt->errorString();
        return false;
    }
    frame->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    frame->delayMs = playableDelay(m_qt->nextImageDelay());
    return true;
}

bool AnimationReader::parsePng()
{
    qint64 pos = 8;
    bool seenIdat = false;
    bool animated = false;
    PngFrame *current = nullptr;
    int declared = 0;
    while (pos + 12 <= m_fileBytes) {
        m_file.seek(pos);
        const QByteArray head = m_file.read(8);
        if (head.size() < 8)
            break;
        const qint64 length = be32(head.constData());
        const QByteArray type = head.mid(4, 4);
        const qint64 data = pos + 8;
        if (length > m_fileBytes - data - 4)
            break;   // cut short: play what came before
        pos = data + length + 4;
        if (type == "IHDR") {
            m_header = m_file.read(length);
            if (m_header.size() < 13)
                return false;
            m_size = QSize(int(be32(m_header.constData())), int(be32(m_header.constData() + 4)));
        } else if (type == "acTL" && !seenIdat && length >= 8) {
            const QByteArray d = m_file.read(8);
            declared = int(be32(d.constData()));
            m_plays = int(be32(d.constData() + 4));
            animated = true;
        } else if ((type == "PLTE" || type == "tRNS") && !seenIdat) {
            appendChunk(m_shared, type, m_file.read(length));
        } else if (type == "fcTL" && animated && length >= 26) {
            const QByteArray d = m_file.read(26);
            PngFrame f;
            f.area = QRect(int(be32(d.constData() + 12)), int(be32(d.constData() + 16)), int(be32(d.constData() + 4)),
                           int(be32(d.constData() + 8)));
            const int num = be16(d.constData() + 20);
            const int den = be16(d.constData() + 22);
            f.delayMs = playableDelay(num * 1000 / (den ? den : 100));
            f.dispose = quint8(d[24]);
            f.blend = quint8(d[25]);
            m_frames.append(f);
            current = &m_frames.last();
        } else if (type == "IDAT") {
            seenIdat = true;
            // The default image belongs to the animation only when a frame
            // control came before it.
            if (current)
                current->data.append({data, length});
        } else if (type == "fdAT" && current && length > 4) {
            current->data.append({data + 4, length - 4});
        } else if (type == "IEND") {
            break;
        }
    }
    if (!animated || m_header.isEmpty()) {
        m_frameCount = 1;
        return true;
    }
    // A frame without data, or one that leaves the canvas, ends the animation there.
    const QRect canvas(QPoint(0, 0), m_size);
    int usable = 0;
    while (usable < m_frames.size() && usable < declared && !m_frames[usable].data.isEmpty()
           && !m_frames[usable].area.isEmpty() && canvas.contains(m_frames[usable].area))
        ++usable;
    m_frames.resize(usable);
    m_frameCount = usable;
    return usable > 0;
}

QImage AnimationReader::decodePngFrame(const PngFrame &f)
{
    QByteArray header = m_header;
    qToBigEndian<quint32>(quint32(f.area.width()), header.data());
    qToBigEndian<quint32>(quint32(f.area.height()), header.data() + 4);
    QByteArray png = PngSignature;
    appendChunk(png, "IHDR", header);
    png.append(m_shared);
    for (const auto &[offset, length] : f.data) {
        m_file.seek(offset);
        appendChunk(png, "IDAT", m_file.read(length));
    }
    appendChunk(png, "IEND", {});
    QImage image;
    image.loadFromData(png, "png");
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool AnimationReader::nextPng(Frame *frame)
{
    enum { DisposeNone = 0, DisposeBackground = 1, DisposePrevious = 2 };
    enum { BlendSource = 0 };
    if (!allowed(m_size))
        return false;
    const PngFrame &f = m_frames[m_index];
    if (!allowed(f.area.size()))
        return false;
    if (m_index == 0 || m_canvas.isNull()) {
        m_canvas = QImage(m_size, QImage::Format_ARGB32_Premultiplied);
        m_canvas.fill(Qt::transparent);
        m_saved = QImage();
    }
    const QImage part = decodePngFrame(f);
    if (part.isNull()) {
        m_error = QStringLiteral("Frame %1 cannot be decoded").arg(m_index + 1);
        return false;
    }
    // The first frame has nothing to go back to: undoing it clears it.
    const int dispose = (f.dispose == DisposePrevious && m_index == 0) ? int(DisposeBackground) : int(f.dispose);
    m_saved = dispose == DisposePrevious ? m_canvas.copy(f.area) : QImage();
    {
        QPainter painter(&m_canvas);
        painter.setCompositionMode(f.blend == BlendSource ? QPainter::CompositionMode_Source
                                                          : QPainter::CompositionMode_SourceOver);
        painter.drawImage(f.area.topLeft(), part);
    }
    frame->image = m_canvas.copy();
    frame->delayMs = f.delayMs;
    // Undone now, so that the next frame starts from what this one leaves.
    if (dispose == DisposeBackground) {
        QPainter painter(&m_canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(f.area, Qt::transparent);
    } else if (dispose == DisposePrevious) {
        QPainter painter(&m_canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(f.area.topLeft(), m_saved);
        m_saved = QImage();
    }
    return true;
}
