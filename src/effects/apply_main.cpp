// glintwave-apply: the batch mode on its own, linked without any window code,
// so that it runs where there is no display at all.
#include "effects/BatchMode.h"
#include "decode/ProgramPool.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"

#include <cstdio>

#include <QGuiApplication>

int main(int argc, char **argv)
{
    // Metafiles draw text, and fonts need a QGuiApplication; the offscreen
    // platform gives one without a display or any windowing system.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Pictures are decoded in sandboxed helpers.
    const std::unique_ptr<DecoderPool> decoders =
        startDecoderPool(QCoreApplication::applicationDirPath(), PictureLimits::helperAddressSpace());
    if (const QString notice = decoders->notice(); !notice.isEmpty())
        std::fprintf(stderr, "glintwave: %s\n", qPrintable(notice));
    PictureLoader::setDecoderPool(decoders.get());
    QList<QByteArray> args{"--apply"};
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);   // names as the file system holds them
    return runBatch(args);
}
