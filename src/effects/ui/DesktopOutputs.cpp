#include "effects/ui/DesktopOutputs.h"

#include "effects/ui/DeskWall.h"
#include "effects/ui/PictureOutput.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <memory>

void DesktopOutputs::copyPicture(const QImage &picture)
{
    copyToClipboard(picture);
}

OutputJob DesktopOutputs::preparePrint(const QImage &picture, int16_t shift, QString *why)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        *why = QStringLiteral("The picture cannot be printed: there is no printer.");
        return {};
    }
    // Made here, on the window's thread; only the painting runs on the worker.
    auto printer = std::make_shared<QPrinter>(info, QPrinter::HighResolution);
    return [picture, shift, printer] { return PrintPic(picture, shift, *printer).error; };
}

OutputJob DesktopOutputs::prepareWallpaper(const QImage &picture, QString *)
{
    return [picture] { return DeskWall(picture).message; };
}
