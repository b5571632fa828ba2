// A 40000 x 20000 JPEG opened in the viewer, decoded by the sandboxed
// helpers as the program does: the time from showPicture to the first view
// painted and to the whole picture painted, fitted (ScaleBig 1) and at its
// own size (ScaleBig 0), for two files written as a stitcher writes them
// through libjpeg (baseline, quality 85, 4:2:0, rows streamed): one without
// restart markers and one with a marker every MCU row (cjpeg -restart 1).
// References in the same run: djpeg's whole decode of the file (at 1/8 for
// the fitted view) and the viewer's wait before quick views, the whole
// decode through the helper.
// Usage: bench_gigapixel [runs [picture.jpg]]   (glintwave-decode beside
// this program; djpeg on the PATH; about 500 MB of temporary files, none
// when a picture of your own is given)
#include "../common/BenchPhoto.h"
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "decode/ProgramPool.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "viewer/PicturePreloader.h"
#include "viewer/ScaleRule.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

QTextStream out(stdout);

// The bench's photo pattern, row by row, as a stitcher streams its output.
bool writeHuge(const QString &path, int width, int height, int restartRows)
{
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    info.restart_in_rows = restartRows;
    jpeg_start_compress(&info, TRUE);
    constexpr int Band = 16;
    QImage band;
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        if (y % Band == 0) {
            // photo() for a band: its pattern depends on the picture's size.
            band = QImage(width, std::min(Band, height - y), QImage::Format_RGB32);
            for (int r = 0; r < band.height(); ++r) {
                auto *line = reinterpret_cast<QRgb *>(band.scanLine(r));
                const int yy = y + r;
                for (int x = 0; x < width; ++x) {
                    const int noise = ((x * 7919 + yy * 104729 + 9 * 31) >> 3) & 31;
                    line[x] = qRgb(int((qint64(x) * 255 / width + noise + 9 * 40) & 255),
                                   int((qint64(yy) * 255 / height + noise) & 255),
                                   int((qint64(x + yy) * 255 / (width + height) + 9 * 17) & 255));
                }
            }
        }
        JSAMPROW row = band.scanLine(y % Band);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double djpegMs(const QString &file, bool eighth)
{
    QElapsedTimer t;
    t.start();
    QStringList args{"-outfile", "/dev/null"};
    if (eighth)
        args << "-scale" << "1/8";
    QProcess::execute("djpeg", args << file);
    return t.nsecsElapsed() / 1e6;
}

OptionSet options;
AppState state;

struct Open {
    double first = 0, whole = 0;
    bool quick = false;
};

// Opened in a new viewer; painted once the first view is in and again once
// the whole picture replaced it.
Open openInViewer(const QString &file)
{
    Open result;
    auto *v = new frmMedia(options, state);
    QElapsedTimer t;
    QEventLoop loop;   // waits without spinning: the decode needs both cores
    bool whole = false;
    QObject::connect(v->pictures(), &PicturePreloader::opened, v, [&](const QString &, const LoadedPicture &p) {
        v->repaint();
        result.first = t.nsecsElapsed() / 1e6;
        result.quick = p.preview;
        if (!p.preview) {
            result.whole = result.first;
            whole = true;
            loop.quit();
        }
    });
    QObject::connect(v->pictures(), &PicturePreloader::developed, v, [&] {
        v->repaint();
        result.whole = t.nsecsElapsed() / 1e6;
        whole = true;
        loop.quit();
    });
    t.start();
    v->showPicture(file);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    if (!whole)
        loop.exec();
    delete v;
    return result;
}

// What the viewer waited for before quick views: the whole decode at the
// rule's size through the helper.
double wholeDecodeMs(const QString &file, bool fitted, QSize screen)
{
    PictureLoader::LoadRequest request;
    request.sizeRule = [=](const QSize &s) { return ScaleRule::scaledSize(s, screen, fitted, false); };
    QElapsedTimer t;
    t.start();
    const LoadedPicture p = PictureLoader::load(file, request);
    const double ms = t.nsecsElapsed() / 1e6;
    if (!p.ok())
        out << "  (the whole decode failed: " << p.error << ")\n";
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    auto pool = startDecoderPool(QCoreApplication::applicationDirPath(), PictureLimits::helperAddressSpace());
    PictureLoader::setDecoderPool(pool.get());
    if (const QString notice = pool->notice(); !notice.isEmpty())
        out << "(" << notice << ")\n";
    {
        // A helper started, as the program starts one before the first picture.
        QTemporaryDir warm;
        photo(64, 64, 1).save(warm.filePath("warm.jpg"));
        PictureLoader::load(warm.filePath("warm.jpg"));
    }
    const QSize screen = QGuiApplication::primaryScreen()->size();
    out << "Platform " << QGuiApplication::platformName() << ", screen " << screen.width() << " x "
        << screen.height() << ", " << runs << " runs, sandboxed" << Qt::endl;

    QTemporaryDir dir;
    const QString own = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (int restartRows : {0, 1}) {
        QString file = own;
        if (own.isEmpty()) {
            file = dir.filePath(QString("huge-rst%1.jpg").arg(restartRows));
            out << "\nWriting a 40000 x 20000 JPEG "
                << (restartRows ? "with a restart marker every MCU row" : "without restart markers") << "..." << Qt::endl;
            if (!writeHuge(file, 40000, 20000, restartRows)) {
                out << "cannot write it: skipped\n";
                continue;
            }
        } else if (restartRows) {
            break;
        }
        out << "  " << file << ", " << QFileInfo(file).size() / 1e6 << " MB" << Qt::endl;
        for (bool fitted : {true, false}) {
            options.ScaleBig = fitted;
            std::vector<double> first, whole, reference, before, firstRatio, wholeRatio, beforeRatio;
            bool quick = false;
            for (int r = 0; r < runs; ++r) {
                // The viewer first: a helper that has just given a whole
                // picture is still freeing it for a while.
                const Open o = openInViewer(file);
                reference.push_back(djpegMs(file, fitted));
                before.push_back(wholeDecodeMs(file, fitted, screen));
                quick = o.quick;
                first.push_back(o.first);
                whole.push_back(o.whole);
                firstRatio.push_back(o.first / reference.back());
                wholeRatio.push_back(o.whole / reference.back());
                beforeRatio.push_back(o.first / before.back());
            }
            out << "\n" << (!own.isEmpty() ? "your picture" : restartRows ? "restart markers" : "no restart markers") << ", "
                << (fitted ? "fitted (ScaleBig 1)" : "at its own size (ScaleBig 0)")
                << (quick ? "" : "  [no quick view: the first view is the whole picture]") << "\n";
            out << QString("  open to first view          median %1 ms\n").arg(median(first), 8, 'f', 0);
            out << QString("  open to full picture        median %1 ms\n").arg(median(whole), 8, 'f', 0);
            out << QString("  djpeg%1 whole decode     median %2 ms\n")
                       .arg(fitted ? " -scale 1/8" : "           ").arg(median(reference), 8, 'f', 0);
            out << QString("  before: whole decode (helper) median %1 ms\n").arg(median(before), 6, 'f', 0);
            out << QString("  first view / djpeg %1, full picture / djpeg %2, first view / before %3 (goal: first "
                           "view <= 500 ms)\n")
                       .arg(median(firstRatio), 0, 'f', 3).arg(median(wholeRatio), 0, 'f', 3)
                       .arg(median(beforeRatio), 0, 'f', 3);
            out.flush();
        }
        if (own.isEmpty())
            QFile::remove(file);
    }
    return 0;
}
