// Memory of the Thumbnails view: a folder of photos of camera proportions
// opened in the main window's Thumbnails view (100-pixel thumbnails, a first
// visit: the shared cache is the run's own), the process's resident memory
// once every thumbnail is in and every page of the view has been painted,
// against its memory before the folder was opened; per thumbnail.
//   bench_thumbmemory [PHOTOS=10000]
// The photos are made once into build/bench-data/ and kept for later runs.
#include "../common/OwnCache.h"
#include "../common/MedianTime.h"
#include "../common/ProcessMemory.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"
#include "browser/FileListModel.h"
#include "core/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <malloc.h>

#include <cmath>
#include <cstdio>

namespace {

// Reproducible noise in [0, 1) for a lattice point.
double lattice(quint32 seed, int x, int y)
{
    quint32 h = seed * 0x9E3779B1u ^ quint32(x) * 0x85EBCA77u ^ quint32(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / double(0x1000000);
}

// Noise whose detail falls off as in photographs (each octave twice as
// fine and half as strong), so that a thumbnail of it holds about as much
// as a photo's: a smooth picture would pack better than real ones.
double fractal(quint32 seed, double x, double y)
{
    double sum = 0, amplitude = 0.5, cell = 96;
    for (int octave = 0; octave < 6; ++octave, amplitude *= 0.55, cell /= 2) {
        const double fx = x / cell, fy = y / cell;
        const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
        const double tx = fx - ix, ty = fy - iy;
        const quint32 s = seed * 7 + quint32(octave);
        const double top = lattice(s, ix, iy) * (1 - tx) + lattice(s, ix + 1, iy) * tx;
        const double bottom = lattice(s, ix, iy + 1) * (1 - tx) + lattice(s, ix + 1, iy + 1) * tx;
        sum += amplitude * (top * (1 - ty) + bottom * ty - 0.5);
    }
    return sum;
}

QImage photoLike(int w, int h, quint32 seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double l = 0.5 + 1.6 * fractal(seed, x, y);
            const double u = 0.6 * fractal(seed + 100000, x * 0.5, y * 0.5);
            const double v = 0.6 * fractal(seed + 200000, x * 0.5, y * 0.5);
            auto byte = [](double c) { return std::clamp(int(c * 255), 0, 255); };
            line[x] = qRgb(byte(l + v), byte(l - 0.3 * u - 0.5 * v), byte(l + u));
        }
    }
    return image;
}

// The folder of count photos, 4:3 and one in ten upright, made when missing.
QString photos(int count)
{
    const QString folder = QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../bench-data/thumbmemory-%1").arg(count);
    if (QFile::exists(folder + "/complete"))
        return folder;
    QDir().mkpath(folder);
    std::printf("making %d photos in %s (once)\n", count, qPrintable(QDir::cleanPath(folder)));
    std::fflush(stdout);
    QList<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers << i;
    QtConcurrent::blockingMap(numbers, [&](int i) {
        const bool upright = i % 10 == 9;
        photoLike(upright ? 300 : 400, upright ? 400 : 300, quint32(i))
            .save(QStringLiteral("%1/IMG_%2.jpg").arg(folder).arg(i, 5, 10, QChar('0')), "JPG", 85);
    });
    QFile(folder + "/complete").open(QIODevice::WriteOnly);
    return folder;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    offscreenWithOwnCache(dir);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const QString folder = photos(count);
    const QString empty = dir.filePath("empty");
    QDir().mkpath(empty);

    QTemporaryDir settings;
    LinkedParts parts;
    frmMain window(std::make_shared<SettingsStore>(settings.filePath("bench.ini")), parts);
    window.Form_Load();
    window.resize(1000, 700);
    window.show();
    window.goToFolder(empty);
    window.mnuThumbs_Click();
    for (int i = 0; i < 10; ++i)
        app.processEvents();
    const qint64 startKb = statusKb("VmRSS:");

    QElapsedTimer clock;
    clock.start();
    window.goToFolder(folder);
    while (window.listModel()->rowCount() < count && clock.elapsed() < 900000)
        app.processEvents(QEventLoop::AllEvents, 50);
    const double buildS = clock.elapsed() / 1000.0;
    const int shown = window.listModel()->rowCount();
    // Every page painted, as a user scrolling to the end would: the first
    // paint of a page unpacks its thumbnails, a second one finds them
    // unpacked, which is what the window's thread spends on unpacking.
    QScrollBar *bar = window.lvPics->verticalScrollBar();
    QList<double> firstMs, againMs;
    for (int v = 0;; v += std::max(1, bar->pageStep())) {
        bar->setValue(std::min(v, bar->maximum()));
        QElapsedTimer paint;
        paint.start();
        window.lvPics->viewport()->repaint();
        firstMs << paint.nsecsElapsed() / 1e6;
        paint.restart();
        window.lvPics->viewport()->repaint();
        againMs << paint.nsecsElapsed() / 1e6;
        if (v >= bar->maximum())
            break;
    }
    for (int i = 0; i < 10; ++i)
        app.processEvents();
    const qint64 endKb = statusKb("VmRSS:"), anonKb = statusKb("RssAnon:");
    malloc_trim(0);
    const qint64 trimmedKb = statusKb("VmRSS:");

    std::printf("photos: %d (400 x 300, one in ten 300 x 400); thumbnails shown: %d in %.1f s\n", count, shown,
                buildS);
    std::printf("memory before the folder: %lld kB; after: %lld kB (anonymous %lld kB); after malloc_trim: %lld kB\n",
                qlonglong(startKb), qlonglong(endKb), qlonglong(anonKb), qlonglong(trimmedKb));
    std::printf("per thumbnail: %.1f KB above the starting memory (goal <= 20 KB); %.1f KB after malloc_trim\n",
                (endKb - startKb) / double(std::max(1, shown)), (trimmedKb - startKb) / double(std::max(1, shown)));
    const double first = median(firstMs), again = median(againMs);
    std::printf("a page of the view painted (%lld pages): %.2f ms on its first paint, %.2f ms painted again "
                "(%.2f x)\n", qlonglong(firstMs.size()), first, again, again > 0 ? first / again : 0);
    return shown == count ? 0 : 1;
}
