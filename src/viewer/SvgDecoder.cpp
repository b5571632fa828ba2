#include "viewer/SvgDecoder.h"

#include "viewer/PictureLimits.h"

#include <QPainter>
#include <QSvgRenderer>

namespace SvgDecoder {

bool looksLikeSvg(const QByteArray &head)
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

QImage render(const QString &path, const std::function<QSize(const QSize &)> &rule, QSize *naturalSize,
              QString *error)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        if (error)
            *error = QStringLiteral("Not a drawing Qt SVG can read");
        return {};
    }
    const QSize natural = renderer.defaultSize();
    if (naturalSize)
        *naturalSize = natural;
    const QSize want = rule ? rule(natural) : natural;
    if (!PictureLimits::acceptable(want)) {
        if (error)
            *error = QStringLiteral("The picture is too large (%1 x %2 pixels)").arg(want.width()).arg(want.height());
        return {};
    }
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

}
