// What the decoding sandbox costs a picture opened from the command line:
// the program's own start (window built, options read, viewer opened, the
// picture decoded and shown), sandboxed against decoding in the process, as
// a ratio in one run. Each start is a new process, timed from its launch to
// the viewer's pictureShown; the two kinds alternate.
// Run it on a display (a desktop, or xvfb-run -s "-screen 0 1920x1080x24"),
// as a user opens a file: the offscreen platform skips the display's own
// start, and with it the time a program really spends before its picture.
// Usage: bench_sandbox_launch [rounds] [fitted|own]
#include "../common/BenchPhoto.h"
#include "../common/MedianTime.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"
#include "core/SettingsStore.h"
#include "decode/ProgramPool.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// One start, as main() does it for `glintwave FILE`; prints "shown" when the
// picture is on screen.
int openOnce(int argc, char **argv, bool sandboxed, const QString &file, bool fitted)
{
    QApplication app(argc, argv);
    std::unique_ptr<DecoderPool> decoders;
    if (sandboxed) {
        decoders = startDecoderPool(QCoreApplication::applicationDirPath(), PictureLimits::helperAddressSpace());
        decoders->warmUp();
    }
    PictureLoader::setDecoderPool(decoders.get());
    LinkedParts parts;
    frmMain window(std::make_shared<SettingsStore>(), parts);
    if (decoders)
        window.state().DecodingNotice = decoders->notice();
    window.state().CommandLine = file;
    window.state().CommandLineBytes = QFile::encodeName(file);
    window.loadOptionsOnly();
    window.options().ScaleBig = fitted;
    QObject::connect(window.viewer(), &frmMedia::pictureShown, [](const QString &, bool ok) {
        std::puts(ok ? "shown" : "failed");
        std::fflush(stdout);
        QCoreApplication::exit(ok ? 0 : 1);
    });
    window.ShowMedia();
    return app.exec();
}

double launchMs(const QString &mode, const QString &file, const QString &scale)
{
    QProcess child;
    QElapsedTimer t;
    t.start();
    child.start(QCoreApplication::applicationFilePath(), {"--one", mode, file, scale});
    while (child.waitForReadyRead(60000))
        if (child.readAll().contains("shown")) {
            const double ms = double(t.nsecsElapsed()) / 1e6;
            child.waitForFinished(60000);
            return ms;
        }
    std::fprintf(stderr, "the %s start did not show the picture\n", qPrintable(mode));
    std::exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--one")
        return openOnce(1, argv, QByteArray(argv[2]) == "sandboxed", QString::fromLocal8Bit(argv[3]),
                        QByteArray(argv[4]) == "fitted");
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const QString scale = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("fitted");
    QTemporaryDir dir;
    // The starts read and write no options of the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    const QString big = dir.filePath("big.jpg");
    photo(6000, 4000, 7).save(big, "JPEG", 90);
    launchMs("sandboxed", big, scale);   // the files and libraries in the page cache for both
    QList<double> sandboxed, here;
    for (int i = 0; i < rounds; ++i) {
        sandboxed << launchMs("sandboxed", big, scale);
        here << launchMs("here", big, scale);
    }
    QTextStream(stdout) << QString("24 MP JPEG from the command line (%1): sandboxed %2 ms, in process %3 ms, "
                                   "ratio %4  (goal <= 1.05)\n")
                               .arg(scale).arg(median(sandboxed), 0, 'f', 1).arg(median(here), 0, 'f', 1)
                               .arg(median(sandboxed) / median(here), 0, 'f', 3);
    return 0;
}
