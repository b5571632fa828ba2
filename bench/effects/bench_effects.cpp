// Times every effect on a 24-megapixel picture as a ratio to one memcpy of
// its pixels, and the batch mode end to end against ImageMagick's convert.
#include "effects/BatchMode.h"
#include "effects/ColourEffects.h"
#include "effects/GeometricEffects.h"
#include "effects/NeighbourEffects.h"
#include "effects/NeighbourKernels.h"
#include "core/Rnd.h"
#include "effects/ZoomView.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {
int runs = 5;

double coldMs = 0; // the first run of the last measurement: fresh memory, empty caches
double bestMs = 0; // the fastest run of the last measurement: least disturbed by other load

double medianMs(const std::function<void()> &fn)
{
    std::vector<double> t;
    for (int i = 0; i <= runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        fn();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (i == 0)
            coldMs = ms;
        else
            t.push_back(ms);
    }
    std::sort(t.begin(), t.end());
    bestMs = t.front();
    return t[t.size() / 2];
}

// Something photo-like: smooth gradients with fine noise, so that edges,
// thresholds and JPEG coding behave as on a real picture.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(1);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x * 255 / w + n) & 255, (y * 255 / h + n) & 255, ((x + y) / 32 * 40 + n) & 255);
        }
    }
    return img;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains("--quick"))
        runs = 3;

    const int w = 6000, h = 4000;
    const QImage pic = photo(w, h);
    const size_t bytes = size_t(pic.sizeInBytes());
    std::vector<uchar> copy(bytes);
    const double memcpyMs = medianMs([&] { std::memcpy(copy.data(), pic.constBits(), bytes); });
    const double memcpyBest = bestMs;

    QTextStream out(stdout);
    out << QString("Picture %1 x %2 (%3 MB); one memcpy of its pixels: median %4 ms, best %5 ms\n"
                   "(%6 timed runs after one untimed first run; ratios median to median and best to best)\n\n")
               .arg(w).arg(h).arg(bytes / 1e6, 0, 'f', 0).arg(memcpyMs, 0, 'f', 2).arg(memcpyBest, 0, 'f', 2).arg(runs);
    out << QString("%1 %2 %3 %4 %5 %6\n").arg("effect", -24).arg("median ms", 10).arg("x memcpy", 9)
               .arg("best ms", 8).arg("x memcpy", 9).arg("first ms", 9);

    struct Case {
        const char *name;
        bool perPixel;
        std::function<QImage()> run;
    };
    const std::vector<Case> cases = {
        {"brightness (U)", true, [&] { return brightness(pic, 1, 0); }},
        {"tint mask (R)", true, [&] { return tint(pic, 255, 0, 0, TintMask); }},
        {"tint xor (Ctrl+R)", true, [&] { return tint(pic, 255, 0, 0, TintXor); }},
        {"tint merge (Alt+R)", true, [&] { return tint(pic, 155, 0, 0, TintMerge); }},
        {"invert (N)", true, [&] { return tint(pic, 0, 0, 0, TintInvert); }},
        {"flip left-right (H)", true, [&] { return flipLeftRight(pic); }},
        {"flip top-bottom (V)", true, [&] { return flipTopBottom(pic); }},
        {"rotate 90 (T)", true, [&] { return rotateimage(pic, 0); }},
        {"rotate 180 (Shift+T)", true, [&] { return rotateimage(pic, 1); }},
        {"rotate 270 (Ctrl+T)", true, [&] { return rotateimage(pic, 2); }},
        {"wave 1,1 (1)", true, [&] { return waveimage(pic, 1, 1, 0xffffff); }},
        {"wave 4,4 (6)", true, [&] { return waveimage(pic, 4, 4, 0xffffff); }},
        {"edge (Z)", true, [&] { return edge(pic, 40); }},
        {"emboss (Shift+Z)", true, [&] { return emboss(pic, 40); }},
        {"add noise (7)", true, [&] { return addnoise(pic); }},
        // The same without the vector loops, for comparison in the same run.
        {"emboss, plain loops", false, [&] {
             neighbourkernels::setWidth(neighbourkernels::Width::Plain);
             QImage r = emboss(pic, 40);
             neighbourkernels::setWidth(neighbourkernels::Width::Widest);
             return r;
         }},
        {"add noise, AVX2 loops (no AVX-512)", false, [&] {
             neighbourkernels::setWidth(neighbourkernels::Width::Avx2);
             QImage r = addnoise(pic);
             neighbourkernels::setWidth(neighbourkernels::Width::Widest);
             return r;
         }},
        {"add noise, plain loops", false, [&] {
             neighbourkernels::setWidth(neighbourkernels::Width::Plain);
             QImage r = addnoise(pic);
             neighbourkernels::setWidth(neighbourkernels::Width::Widest);
             return r;
         }},
        {"zoom out 2 (minus)", false, [&] { return zoomImage(pic, -2).image; }},
        {"zoom in 2 (plus)", false, [&] { return zoomImage(pic, 2).image; }},
        {"pixelise 4 (8)", false, [&] { return zoomImage(zoomImage(pic, -4).image, 4).image; }},
        {"fit width to 1920 (L)", false, [&] { return scaleImage(pic, 1920, 1280).image; }},
    };
    Randomize(1);
    double worst = 0;
    for (const Case &c : cases) {
        QImage keep;
        const double ms = medianMs([&] { keep = c.run(); });
        const double ratio = ms / memcpyMs, bestRatio = bestMs / memcpyBest;
        if (c.perPixel)
            worst = std::max(worst, bestRatio);
        out << QString("%1 %2 %3 %4 %5 %6%7\n").arg(c.name, -24).arg(ms, 10, 'f', 1).arg(ratio, 9, 'f', 2)
                   .arg(bestMs, 8, 'f', 1).arg(bestRatio, 9, 'f', 2).arg(coldMs, 9, 'f', 1)
                   .arg(c.perPixel ? "" : QString(c.name).contains("loops") ? "  (not counted)" : "  (resizes)");
    }
    out << QString("\nWorst per-pixel effect, best to best: %1 x memcpy (goal <= 3)\n\n").arg(worst, 0, 'f', 2);
    out.flush();

    const QString convert = QStandardPaths::findExecutable("convert");
    if (convert.isEmpty()) {
        out << "ImageMagick convert not found: batch comparison skipped\n";
        return 0;
    }
    const int at = args.indexOf("--glintwave");
    const QString program = at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo.jpg");
    pic.save(jpeg, "JPEG", 90);
    out << QString("Batch mode end to end on a %1 x %2 JPEG, written as BMP (median of %3; %4)\n")
               .arg(w).arg(h).arg(runs).arg(program.isEmpty() ? "in this process" : program);
    out << QString("%1 %2 %3 %4\n").arg("keys / convert op", -26).arg("glintwave ms", 13).arg("convert ms", 11).arg("ratio", 7);
    const std::pair<const char *, const char *> pairs[] = {{"N", "-negate"}, {"H", "-flop"}, {"T", "-rotate 90"}, {"Z", "-edge 1"}};
    for (const auto &p : pairs) {
        QBuffer so, se;
        so.open(QIODevice::WriteOnly);
        se.open(QIODevice::WriteOnly);
        // The program itself when given (--glintwave PATH), else the batch
        // function in this process.
        const double ours = medianMs([&] {
            if (program.isEmpty()) {
                runBatch({"--apply", p.first, "--out", QFile::encodeName(dir.path()), QFile::encodeName(jpeg)},
                         BatchSettings{}, so, se);
            } else {
                QProcess proc;
                proc.start(program, {"--apply", p.first, "--out", dir.path(), jpeg});
                proc.waitForFinished(-1);
            }
            QDir(dir.path()).remove("gw001.bmp");
        });
        const double theirs = medianMs([&] {
            QProcess proc;
            QStringList a{jpeg};
            a << QString(p.second).split(' ') << dir.filePath("im.bmp");
            proc.start(convert, a);
            proc.waitForFinished(-1);
        });
        out << QString("%1 %2 %3 %4\n").arg(QString("%1 / %2").arg(p.first, p.second), -26).arg(ours, 13, 'f', 0)
                   .arg(theirs, 11, 'f', 0).arg(ours / theirs, 7, 'f', 2);
        out.flush();
    }
    return 0;
}
