#include "viewer/WmfRender.h"

#include "viewer/PictureLimits.h"
#include "viewer/WmfCanvas.h"
#include "viewer/WmfPlayer.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cmath>
#include <vector>

namespace {

QColor colour(const wmfdraw::Rgb &c) { return QColor(c.r, c.g, c.b); }
QPointF pt(const wmfdraw::Point &p) { return QPointF(p.x, p.y); }
QRectF box(const wmfdraw::Point &a, const wmfdraw::Point &b) { return QRectF(pt(a), pt(b)).normalized(); }

// A DIB as stored in a metafile record: turn it into a BMP file for Qt.
QImage decodeDib(const unsigned char *dib, long length)
{
    if (length < 12)
        return {};
    const quint32 headerSize = qFromLittleEndian<quint32>(dib);
    qint64 width = 0, height = 0;
    int bits = 0;
    quint32 compression = 0, coloursUsed = 0;
    int paletteEntry = 4;
    if (headerSize == 12) {
        width = qFromLittleEndian<quint16>(dib + 4);
        height = qFromLittleEndian<quint16>(dib + 6);
        bits = qFromLittleEndian<quint16>(dib + 10);
        paletteEntry = 3;
    } else if (headerSize >= 40 && length >= 40) {
        width = qFromLittleEndian<qint32>(dib + 4);
        height = qFromLittleEndian<qint32>(dib + 8);
        bits = qFromLittleEndian<quint16>(dib + 14);
        compression = qFromLittleEndian<quint32>(dib + 16);
        coloursUsed = qFromLittleEndian<quint32>(dib + 32);
    } else {
        return {};
    }
    // A bitmap inside a metafile is held to the same limits as a BMP file.
    if (width <= 0 || height == 0
        || !PictureLimits::refusal("bmp", QSize(int(std::min<qint64>(width, 1 << 30)),
                                                int(std::min<qint64>(std::llabs(height), 1 << 30))),
                                   qint64(length)).isEmpty())
        return {};
    qint64 palette = 0;
    if (bits <= 8)
        palette = (coloursUsed ? coloursUsed : (1u << bits)) * qint64(paletteEntry);
    else if (coloursUsed)
        palette = coloursUsed * qint64(paletteEntry);
    if (headerSize == 40 && compression == 3)   // BI_BITFIELDS: three masks follow
        palette += 12;
    const qint64 offset = 14 + qint64(headerSize) + palette;
    if (offset > 14 + length)
        return {};
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(14 + length), file.data() + 2);
    qToLittleEndian<quint32>(quint32(offset), file.data() + 10);
    file.append(reinterpret_cast<const char *>(dib), int(length));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    QImage image;
    if (!reader.read(&image))
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

class QtCanvas : public wmfdraw::Canvas {
public:
    void begin(QImage *image)
    {
        m_painter.begin(image);
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    }
    void end()
    {
        if (m_painter.isActive())
            m_painter.end();
    }

    void setPen(const wmfdraw::Pen &p) override
    {
        if (!m_painter.isActive())
            return;
        if (p.style == wmfdraw::LineStyle::None) {
            m_painter.setPen(Qt::NoPen);
            return;
        }
        QPen pen(colour(p.colour));
        pen.setWidthF(p.width);
        switch (p.style) {
        case wmfdraw::LineStyle::Dash: pen.setStyle(Qt::DashLine); break;
        case wmfdraw::LineStyle::Dot: pen.setStyle(Qt::DotLine); break;
        case wmfdraw::LineStyle::DashDot: pen.setStyle(Qt::DashDotLine); break;
        case wmfdraw::LineStyle::DashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
        default: pen.setStyle(Qt::SolidLine); break;
        }
        pen.setCapStyle(p.cap == wmfdraw::Cap::Flat ? Qt::FlatCap
                        : p.cap == wmfdraw::Cap::Square ? Qt::SquareCap : Qt::RoundCap);
        pen.setJoinStyle(p.join == wmfdraw::Join::Bevel ? Qt::BevelJoin
                         : p.join == wmfdraw::Join::Miter ? Qt::MiterJoin : Qt::RoundJoin);
        m_painter.setPen(pen);
    }

    void setBrush(const wmfdraw::Brush &b) override
    {
        m_background = QBrush();
        if (!m_painter.isActive())
            return;
        switch (b.style) {
        case wmfdraw::FillStyle::None: m_painter.setBrush(Qt::NoBrush); return;
        case wmfdraw::FillStyle::Hatched: {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern,
                                                     Qt::DiagCrossPattern};
            const int i = (b.hatch >= 0 && b.hatch < 6) ? b.hatch : 0;
            m_painter.setBrush(QBrush(colour(b.colour), hatches[i]));
            if (b.opaqueBackground)
                m_background = QBrush(colour(b.background));
            return;
        }
        case wmfdraw::FillStyle::Pattern:
            if (b.pattern >= 0 && size_t(b.pattern) < m_bitmaps.size() && !m_bitmaps[b.pattern].isNull()) {
                m_painter.setBrush(QBrush(m_bitmaps[b.pattern]));
                return;
            }
            break;
        case wmfdraw::FillStyle::Solid: break;
        }
        m_painter.setBrush(QBrush(colour(b.colour)));
    }

    void setWindingFill(bool winding) override { m_fill = winding ? Qt::WindingFill : Qt::OddEvenFill; }

    void setClip(const std::vector<wmfdraw::Rect> &rects) override
    {
        if (!m_painter.isActive())
            return;
        if (rects.empty()) {
            m_painter.setClipping(false);
            return;
        }
        QPainterPath path;
        for (const auto &r : rects)
            path.addRect(box(r.topLeft, r.bottomRight));
        m_painter.setClipPath(path);
    }

    void line(wmfdraw::Point a, wmfdraw::Point b) override
    {
        if (m_painter.isActive() && !expired())
            m_painter.drawLine(pt(a), pt(b));
    }

    void polyline(const std::vector<wmfdraw::Point> &points) override
    {
        if (!m_painter.isActive())
            return;
        QPolygonF poly;
        for (const auto &p : points)
            poly << pt(p);
        stroke(poly, false);
    }

    void polygons(const std::vector<std::vector<wmfdraw::Point>> &polygons) override
    {
        if (!m_painter.isActive())
            return;
        QPainterPath path;
        path.setFillRule(m_fill);
        std::vector<QPolygonF> rings;
        for (const auto &one : polygons) {
            QPolygonF poly;
            for (const auto &p : one)
                poly << pt(p);
            path.addPolygon(poly);
            path.closeSubpath();
            rings.push_back(poly);
        }
        fillBackground(path);
        if (!wide()) {
            m_painter.drawPath(path);
            return;
        }
        const QPen pen = m_painter.pen();
        m_painter.setPen(Qt::NoPen);
        m_painter.drawPath(path);
        m_painter.setPen(pen);
        for (const QPolygonF &ring : rings)
            stroke(ring, true);
    }

    void rectangle(wmfdraw::Point a, wmfdraw::Point b, double cw, double ch) override
    {
        if (!m_painter.isActive())
            return;
        QPainterPath path;
        if (cw > 0 || ch > 0)
            path.addRoundedRect(box(a, b), cw / 2, ch / 2);
        else
            path.addRect(box(a, b));
        fillBackground(path);
        m_painter.drawPath(path);
    }

    void ellipse(wmfdraw::Point a, wmfdraw::Point b) override
    {
        if (!m_painter.isActive())
            return;
        QPainterPath path;
        path.addEllipse(box(a, b));
        fillBackground(path);
        m_painter.drawPath(path);
    }

    void arc(wmfdraw::Point a, wmfdraw::Point b, double start, double span, wmfdraw::ArcKind kind) override
    {
        if (!m_painter.isActive())
            return;
        const QRectF r = box(a, b);
        const int s = int(std::lround(start * 16)), n = int(std::lround(span * 16));
        switch (kind) {
        case wmfdraw::ArcKind::Open: m_painter.drawArc(r, s, n); break;
        case wmfdraw::ArcKind::Pie: m_painter.drawPie(r, s, n); break;
        case wmfdraw::ArcKind::Chord: m_painter.drawChord(r, s, n); break;
        }
    }

    void pixel(wmfdraw::Point at, wmfdraw::Rgb c) override
    {
        if (m_painter.isActive())
            m_painter.fillRect(QRectF(at.x, at.y, 1, 1), colour(c));
    }

    void fillRect(wmfdraw::Point a, wmfdraw::Point b, wmfdraw::Rgb c) override
    {
        if (m_painter.isActive())
            m_painter.fillRect(box(a, b), colour(c));
    }

    void invertRect(wmfdraw::Point a, wmfdraw::Point b) override
    {
        if (!m_painter.isActive())
            return;
        m_painter.save();
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.fillRect(box(a, b), Qt::white);
        m_painter.restore();
    }

    void text(wmfdraw::Point at, const std::string &bytes, const wmfdraw::Font &f, wmfdraw::Rgb c,
              bool opaque, wmfdraw::Rgb background) override
    {
        if (!m_painter.isActive() || f.height < 0.5)
            return;
        const QString text = QString::fromLatin1(bytes.data(), int(bytes.size()));
        QFont font(QString::fromLatin1(f.face.c_str()));
        font.setPixelSize(std::max(1, int(std::lround(std::min(f.height, 4096.0)))));
        font.setWeight(QFont::Weight(std::clamp(f.weight ? f.weight : 400, 100, 900)));
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        font.setStrikeOut(f.strikeOut);
        if (std::fabs(f.widthRatio - 1) > 0.05)
            font.setStretch(std::clamp(int(std::lround(f.widthRatio * 100)), 25, 400));
        m_painter.save();
        m_painter.translate(at.x, at.y);
        if (f.angle != 0)
            m_painter.rotate(-f.angle * 180.0 / M_PI);
        m_painter.setFont(font);
        if (opaque) {
            const QFontMetricsF fm(font);
            m_painter.fillRect(QRectF(0, -fm.ascent(), fm.horizontalAdvance(text), fm.height()),
                               colour(background));
        }
        m_painter.setPen(colour(c));
        m_painter.drawText(QPointF(0, 0), text);
        m_painter.restore();
    }

    double textWidth(const std::string &face, const std::string &bytes) override
    {
        QFont font(QString::fromLatin1(face.c_str()));
        font.setPixelSize(100);
        const QFontMetricsF fm(font);
        return fm.horizontalAdvance(QString::fromLatin1(bytes.data(), int(bytes.size()))) / 100.0;
    }

    int decodeBitmap(const unsigned char *dib, long length, int *width, int *height) override
    {
        QImage image = decodeDib(dib, length);
        if (image.isNull())
            return -1;
        *width = image.width();
        *height = image.height();
        m_bitmaps.push_back(image);
        return int(m_bitmaps.size()) - 1;
    }

    void freeBitmap(int handle) override
    {
        if (handle >= 0 && size_t(handle) < m_bitmaps.size())
            m_bitmaps[handle] = QImage();
    }

    void drawBitmap(int handle, int cx, int cy, int cw, int ch, wmfdraw::Point a, wmfdraw::Point b) override
    {
        if (!m_painter.isActive() || handle < 0 || size_t(handle) >= m_bitmaps.size())
            return;
        const QImage &image = m_bitmaps[handle];
        if (image.isNull())
            return;
        // Enlarged bitmaps keep sharp pixels, as the metafile's author saw
        // them; shrunk ones are smoothed.
        const QRectF target = box(a, b);
        m_painter.save();
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, target.width() < cw || target.height() < ch);
        m_painter.drawImage(target, image, QRectF(cx, cy, cw, ch));
        m_painter.restore();
    }

private:
    // Pens wider than this are stroked one segment at a time, so that the
    // deadline is looked at between segments.
    bool wide() const { return m_painter.pen().style() != Qt::NoPen && m_painter.pen().widthF() > 8; }

    void stroke(const QPolygonF &poly, bool closed)
    {
        if (expired())
            return;
        if (!wide()) {
            if (closed)
                m_painter.drawPolygon(poly);
            else
                m_painter.drawPolyline(poly);
            return;
        }
        const int n = int(poly.size());
        for (int i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
            if (expired())
                return;
            m_painter.drawLine(poly[i], poly[(i + 1) % n]);
        }
    }

    void fillBackground(const QPainterPath &path)
    {
        if (m_background.style() == Qt::NoBrush)
            return;
        m_painter.fillPath(path, m_background);
    }

    QPainter m_painter;
    Qt::FillRule m_fill = Qt::OddEvenFill;
    QBrush m_background;
    std::vector<QImage> m_bitmaps;
};

QSize boundedNatural(int w, int h)
{
    QSize size(std::max(1, w), std::max(1, h));
    if (size.width() > WmfRender::MaxNaturalSide || size.height() > WmfRender::MaxNaturalSide)
        size.scale(WmfRender::MaxNaturalSide, WmfRender::MaxNaturalSide, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}

// libwmf sets aside room for the header's largest record before it reads
// any: a header claiming a record longer than the whole file is damaged,
// and would have it ask for gigabytes.
bool recordsFitTheFile(const QByteArray &data)
{
    const auto *b = reinterpret_cast<const uchar *>(data.constData());
    const qint64 at = qFromLittleEndian<quint32>(b) == 0x9AC6CDD7u ? 22 : 0;
    if (data.size() < at + 18)
        return false;
    const qint64 largestRecordBytes = 2 * qint64(qFromLittleEndian<quint32>(b + at + 12));
    return largestRecordBytes <= data.size() - at;
}

} // namespace

namespace WmfRender {

bool looksLikeWmf(const QByteArray &head)
{
    if (head.size() < 18)
        return false;
    const auto *b = reinterpret_cast<const uchar *>(head.constData());
    if (qFromLittleEndian<quint32>(b) == 0x9AC6CDD7u)
        return true;
    const quint16 type = qFromLittleEndian<quint16>(b);
    const quint16 headerWords = qFromLittleEndian<quint16>(b + 2);
    const quint16 version = qFromLittleEndian<quint16>(b + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0300 || version == 0x0100);
}

QImage render(const QByteArray &data, const std::function<QSize(const QSize &)> &sizeFor, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (!looksLikeWmf(data))
        return fail(QStringLiteral("not a metafile"));
    if (!recordsFitTheFile(data))
        return fail(QStringLiteral("damaged metafile (its header claims records longer than the file)"));

    QtCanvas canvas;
    wmfplay::WmfPlayer player;
    if (!player.open(reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()), canvas))
        return fail(QString::fromStdString(player.error()));

    const QSize natural = boundedNatural(player.naturalWidth(), player.naturalHeight());
    QSize size = natural;
    if (sizeFor) {
        // An empty size is the caller's refusal: nothing is allocated.
        size = sizeFor(natural);
        if (!size.isValid() || size.isEmpty())
            return fail(QStringLiteral("picture refused"));
    }
    if (!PictureLimits::acceptable(size))
        return fail(QStringLiteral("picture too large"));

    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return fail(QStringLiteral("out of memory"));
    image.fill(Qt::white);
    canvas.begin(&image);
    const bool played = player.play(size.width(), size.height(), TimeLimitSeconds);
    canvas.end();
    if (!played)
        return fail(QString::fromStdString(player.error()));
    return image;
}

QImage render(const QString &path, const std::function<QSize(const QSize &)> &sizeFor, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    // Metafiles are small; a huge one is not a picture we can show.
    if (file.size() > (qint64(256) << 20)) {
        if (error)
            *error = QStringLiteral("metafile too large");
        return {};
    }
    return render(file.readAll(), sizeFor, error);
}

}
