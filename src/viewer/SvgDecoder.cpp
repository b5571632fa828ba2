#include "viewer/SvgDecoder.h"

#include "viewer/SvgReferences.h"

#include <QPainter>
#include <QSvgRenderer>

bool SvgDecoder::claims(const QByteArray &head) const
{
    // A text that starts with markup (an XML declaration, a doctype or a
    // comment may come first) and holds an svg element; binary formats
    // whose metadata happens to mention one do not start with "<".
    QByteArray text = head;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text = text.trimmed();
    return text.startsWith('<') && text.contains("<svg");
}

QImage SvgDecoder::decode(const QByteArray &data, Sizes &sizes, QString *error) const
{
    // Drawn as a browser draws an SVG picture: nothing from other files (a
    // picture of the user's, a named pipe, the drawing itself).
    QSvgRenderer renderer(svgWithoutOutsideReferences(data));
    if (!renderer.isValid()) {
        if (error)
            *error = QStringLiteral("Not a drawing Qt SVG can read");
        return {};
    }
    const QSize natural = renderer.defaultSize();
    const QSize want = sizes.admit(natural, natural);
    if (want.isEmpty())
        return {};
    QImage image(want, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("out of memory");
        return {};
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(want)));
    painter.end();
    return image;
}
