#include "effects/ui/PictureOutput.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

OutputResult PrintPic(const QImage &picture, int16_t shift, QPrinter &printer)
{
    OutputResult r;
    printer.setPageOrientation(shift == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) {
        r.error = QStringLiteral("The picture could not be printed: the printer is not ready.");
        return r;
    }
    // The picture's own size is its size on a 96 dpi screen.
    const double scale = printer.resolution() / 96.0;
    const QRectF target(0, 0, picture.width() * scale, picture.height() * scale);
    painter.drawImage(target, picture);
    if (!painter.end()) {
        r.error = QStringLiteral("The picture could not be printed.");
        return r;
    }
    r.ok = printer.printerState() != QPrinter::Error;
    if (!r.ok)
        r.error = QStringLiteral("The picture could not be printed.");
    r.path = printer.outputFileName();
    return r;
}

void copyToClipboard(const QImage &picture)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(picture);
}
