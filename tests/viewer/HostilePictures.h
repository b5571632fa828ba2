#pragma once
// Small files that ask for a great deal: drawings that reach for other
// files. Made at test time.
#include <QByteArray>
#include <QString>

namespace hostile {

// An SVG of w x h that draws the picture at href (another file, itself, a
// named pipe) over itself.
inline QByteArray svgDrawing(int w, int h, const QString &href = QString())
{
    QByteArray s = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
                   + QByteArray::number(w) + "\" height=\"" + QByteArray::number(h) + "\">";
    s += "<rect width=\"10\" height=\"10\" fill=\"#c00\"/>";
    if (!href.isEmpty())
        s += "<image xlink:href=\"" + href.toUtf8().toPercentEncoding("/:.-_") + "\" width=\"" + QByteArray::number(w)
             + "\" height=\"" + QByteArray::number(h) + "\"/>";
    return s + "</svg>\n";
}

} // namespace hostile
