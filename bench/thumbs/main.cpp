// Thumbnail build and viewer opening speed; see README.md.
#include "../common/BenchPhoto.h"
#include "../common/ProcessMemory.h"
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/PictureLoader.h"
#include "viewer/ThumbnailBuilder.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QtConcurrent>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

namespace {

QTextStream out(stdout);

qint64 peakKb() { return statusKb("VmHWM:"); }
qint64 currentKb() { return statusKb("VmRSS:"); }

// Restarts the peak-memory count (Linux: writing 5 to clear_refs).
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// CPU time of the calling thread in ms: unlike wall time it does not count
// the time other programs on a busy machine take.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

QStringList makeFolder(const QString &dir, int count, int distinct)
{
    QList<int> seeds;
    for (int i = 0; i < distinct; ++i)
        seeds << i;
    QtConcurrent::blockingMap(seeds, [&](int seed) {
        photo(4000, 3000, seed).save(QStringLiteral("%1/src%2.jpg").arg(dir).arg(seed), "JPG", 85);
    });
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        QFile::copy(QStringLiteral("%1/src%2.jpg").arg(dir).arg(i % distinct), dir + "/" + name);
        names << name;
    }
    for (int i = 0; i < distinct; ++i)
        QFile::remove(QStringLiteral("%1/src%2.jpg").arg(dir).arg(i));
    return names;
}

// A folder of count files of another kind: `distinct` pictures of w x h
// written as PNG by Qt, or as HEIC from such a PNG (by ImageMagick, or by
// heif-enc with a 320-pixel thumbnail inside as phones write), then copied.
// Empty when the files cannot be made.
QStringList makeSet(const QString &dir, const QString &ext, int count, int distinct, QSize size,
                    bool embeddedThumbnail = false)
{
    QDir().mkpath(dir);
    QList<int> seeds;
    for (int i = 0; i < distinct; ++i)
        seeds << i;
    std::atomic_bool ok{true};
    QtConcurrent::blockingMap(seeds, [&](int seed) {
        const QString png = QStringLiteral("%1/src%2.png").arg(dir).arg(seed);
        photo(size.width(), size.height(), seed).save(png, "PNG");
        if (ext == QLatin1String("heic")) {
            const QString heic = QStringLiteral("%1/src%2.heic").arg(dir).arg(seed);
            const int status = embeddedThumbnail
                                   ? QProcess::execute(QStringLiteral("heif-enc"),
                                                       {QStringLiteral("-t"), QStringLiteral("320"), png,
                                                        QStringLiteral("-o"), heic})
                                   : QProcess::execute(QStringLiteral("convert"), {png, QStringLiteral("HEIC:") + heic});
            QFile::remove(png);
            if (status != 0)
                ok = false;
        }
    });
    if (!ok)
        return {};
    QStringList names;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("pic%1.%2").arg(i, 3, 10, QLatin1Char('0')).arg(ext);
        QFile::copy(QStringLiteral("%1/src%2.%3").arg(dir).arg(i % distinct).arg(ext), dir + "/" + name);
        names << name;
    }
    for (int i = 0; i < distinct; ++i)
        QFile::remove(QStringLiteral("%1/src%2.%3").arg(dir).arg(i).arg(ext));
    return names;
}

void warm(const QString &dir, const QStringList &names)
{
    for (const QString &n : names) {
        QFile f(dir + "/" + n);
        f.open(QIODevice::ReadOnly);
        f.readAll();
    }
}

struct BuildResult {
    double seconds = 0;
    double worstStallMs = 0;
    double worstStallCpuMs = 0;   // of it, time the UI thread itself was working
    int items = 0;
};

// The build as the main window runs it: items go into a list view with
// icons while a 10 ms timer measures how long the event loop is held up.
BuildResult runBuild(const QString &dir, const QStringList &names)
{
    QListWidget view;
    view.setViewMode(QListView::IconMode);
    view.setIconSize(QSize(100, 100));
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();

    QList<ThumbnailEntry> entries;
    for (const QString &n : names)
        entries << ThumbnailEntry{n, 0, {}};

    BuildResult result;
    QElapsedTimer gap;
    double gapCpu = 0;
    QTimer probe;
    probe.setInterval(10);
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double stall = gap.nsecsElapsed() / 1e6 - 10.0;
        const double cpu = threadCpuMs();
        if (stall > result.worstStallMs) {
            result.worstStallMs = stall;
            result.worstStallCpuMs = cpu - gapCpu;
        }
        gap.restart();
        gapCpu = cpu;
    });

    ThumbnailBuilder builder;
    QEventLoop loop;
    QObject::connect(&builder, &ThumbnailBuilder::itemReady, [&](int, const QString &name, const PackedImage &image) {
        view.addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(image.unpack())), name));
        ++result.items;
    });
    QObject::connect(&builder, &ThumbnailBuilder::finished, &loop, &QEventLoop::quit);

    QElapsedTimer wall;
    wall.start();
    gap.start();
    gapCpu = threadCpuMs();
    probe.start();
    builder.start(dir, entries, 100);
    loop.exec();
    result.seconds = wall.nsecsElapsed() / 1e9;
    return result;
}

double runVips(const QString &vips, const QString &dir, const QStringList &names, const QString &outDir)
{
    QStringList args = {QStringLiteral("--size"), QStringLiteral("100"), QStringLiteral("-o"),
                        outDir + QStringLiteral("/%s.jpg")};
    for (const QString &n : names)
        args << dir + "/" + n;
    QElapsedTimer wall;
    wall.start();
    QProcess p;
    p.start(vips, args);
    p.waitForFinished(-1);
    const double seconds = wall.nsecsElapsed() / 1e9;
    if (p.exitCode() != 0)
        out << "vipsthumbnail failed: " << p.readAllStandardError() << Qt::endl;
    return seconds;
}

struct Opening {
    double ms = 0;
    double cpuMs = 0;
    qint64 peakKb = 0;
    qint64 shownKb = 0;
    QSize size;
};

OptionSet benchOptions;
AppState benchState;

Opening openInViewer(const QString &file, int scaleBig)
{
    benchOptions.ScaleBig = scaleBig != 0;
    QApplication::processEvents();
    resetPeak();
    const qint64 base = currentKb();
    QElapsedTimer t;
    t.start();
    const double cpu = threadCpuMs();
    auto *v = new frmMedia(benchOptions, benchState);
    v->showPicture(file);
    v->waitForPicture();   // decoded on a worker now
    v->repaint();   // shown means painted
    Opening o;
    o.ms = t.nsecsElapsed() / 1e6;
    o.cpuMs = threadCpuMs() - cpu;
    o.peakKb = peakKb() - base;
    o.shownKb = currentKb() - base;
    o.size = v->picMedia->size();
    delete v;
    return o;
}

void viewerOpening(const QString &dir)
{
    const QString file = dir + "/photo24mp.jpg";
    photo(6000, 4000, 7).save(file, "JPG", 90);
    constexpr int Runs = 9;
    out << "\n24-megapixel JPEG (6000 x 4000), median of " << Runs << " interleaved runs:" << Qt::endl;

    // Interleaved, so that load from the other developers' work on the
    // machine falls on all of them alike.
    QList<double> bare, bareCpu, loads;
    QList<Opening> viewer[2];
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpu = threadCpuMs();
        QImageReader reader(file);
        const QImage image = reader.read();
        bare << t.nsecsElapsed() / 1e6;
        bareCpu << threadCpuMs() - cpu;
        if (image.isNull())
            out << "bare decode failed" << Qt::endl;

        t.start();
        const LoadedPicture p = PictureLoader::load(file);
        loads << t.nsecsElapsed() / 1e6;

        for (int scaleBig : {0, 1})
            viewer[scaleBig] << openInViewer(file, scaleBig);
    }
    const double bareMs = median(bare);
    const double bareCpuMs = median(bareCpu);
    out << "  bare QImageReader decode:  " << QString::number(bareMs, 'f', 1) << " ms (CPU "
        << QString::number(bareCpuMs, 'f', 1) << " ms)" << Qt::endl;
    out << "  PictureLoader::load alone: " << QString::number(median(loads), 'f', 1) << " ms" << Qt::endl;
    for (int scaleBig : {0, 1}) {
        QList<double> ms, cpu;
        qint64 peak = 0, shown = 0;
        for (const Opening &o : viewer[scaleBig]) {
            ms << o.ms;
            cpu << o.cpuMs;
            peak = std::max(peak, o.peakKb);
            shown = std::max(shown, o.shownKb);
        }
        const QSize size = viewer[scaleBig].first().size;
        out << "  viewer open, ScaleBig " << scaleBig << " (shown " << size.width() << " x " << size.height()
            << "): " << QString::number(median(ms), 'f', 1) << " ms, ratio "
            << QString::number(median(ms) / bareMs, 'f', 2) << " (goal <= 1.2); CPU "
            << QString::number(median(cpu), 'f', 1) << " ms, ratio " << QString::number(median(cpu) / bareCpuMs, 'f', 2)
            << "; memory while shown +"
            << shown / 1024 << " MB, peak +" << peak / 1024 << " MB" << Qt::endl;
    }
}

// One set of today's formats: the thumbnail build against vipsthumbnail on
// the same files, time per file and their ratio.
void compareSet(const QString &label, const QString &dir, const QStringList &names, const QString &vips,
                const QString &vipsOut)
{
    if (names.isEmpty()) {
        out << "\n" << label << ": the files could not be made" << Qt::endl;
        return;
    }
    warm(dir, names);
    const int n = int(names.size());
    const BuildResult build = runBuild(dir, names);
    const double ours = build.seconds * 1000 / n;
    out << "\n" << label << ", " << n << " files, ThumbSize 100:" << Qt::endl;
    out << "  Glintwave:      " << QString::number(ours, 'f', 1) << " ms a file (" << build.items << " items)"
        << Qt::endl;
    if (vips.isEmpty())
        return;
    QDir().mkpath(vipsOut);
    const double theirs = runVips(vips, dir, names, vipsOut) * 1000 / n;
    const int made = int(QDir(vipsOut).entryList(QDir::Files).size());
    if (made < n) {
        out << "  vipsthumbnail read " << made << " of " << n << " files: no reference" << Qt::endl;
        return;
    }
    out << "  vipsthumbnail:  " << QString::number(theirs, 'f', 1) << " ms a file" << Qt::endl;
    out << "  ratio Glintwave / vipsthumbnail: " << QString::number(ours / theirs, 'f', 2) << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 200;
    // The PNG and HEIC sets: fewer files, as they take longer to make.
    const int otherCount = argc > 2 ? std::max(1, QString(argv[2]).toInt()) : 40;

    QTemporaryDir work;
    const QString dir = work.path() + "/photos";
    const QString vipsOut = work.path() + "/vips";
    QDir().mkpath(dir);
    QDir().mkpath(vipsOut);
    out << "Generating " << count << " JPEGs of 4000 x 3000..." << Qt::endl;
    const QStringList names = makeFolder(dir, count, std::min(count, 10));

    // Both readers start from a warm file cache.
    for (const QString &n : names) {
        QFile f(dir + "/" + n);
        f.open(QIODevice::ReadOnly);
        f.readAll();
    }

    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    double vipsSeconds = 0;
    if (vips.isEmpty())
        out << "vipsthumbnail not found (Debian package libvips-tools): no reference" << Qt::endl;
    else
        vipsSeconds = runVips(vips, dir, names, vipsOut);

    const BuildResult build = runBuild(dir, names);
    out << "\nThumbnail build, " << count << " files, ThumbSize 100, "
        << QThread::idealThreadCount() << " threads:" << Qt::endl;
    out << "  Glintwave:      " << QString::number(build.seconds, 'f', 2) << " s (" << build.items
        << " items)" << Qt::endl;
    if (vipsSeconds > 0) {
        out << "  vipsthumbnail:  " << QString::number(vipsSeconds, 'f', 2) << " s" << Qt::endl;
        out << "  ratio Glintwave / vipsthumbnail: " << QString::number(build.seconds / vipsSeconds, 'f', 2)
            << " (goal <= 1.00)" << Qt::endl;
    }
    out << "  worst user-interface stall: " << QString::number(build.worstStallMs, 'f', 1)
        << " ms (goal <= 50), of which the UI thread was busy "
        << QString::number(build.worstStallCpuMs, 'f', 1) << " ms" << Qt::endl;

    out << "  per file: Glintwave " << QString::number(build.seconds * 1000 / count, 'f', 1) << " ms";
    if (vipsSeconds > 0)
        out << ", vipsthumbnail " << QString::number(vipsSeconds * 1000 / count, 'f', 1) << " ms";
    out << Qt::endl;
    // The same photos as a camera writes them: a 160 x 120 thumbnail in the
    // EXIF, taken and last changed at the same moment.
    const QString thumb = work.path() + "/exif-thumb.jpg";
    QImage(dir + "/" + names.first()).scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(thumb, "JPG", 85);
    QProcess exiftool;
    exiftool.start("exiftool", {"-q", "-overwrite_original", "-ThumbnailImage<=" + thumb,
                                "-DateTimeOriginal=2026:01:02 03:04:05", "-ModifyDate=2026:01:02 03:04:05", dir});
    if (exiftool.waitForFinished(600000) && exiftool.exitCode() == 0)
        compareSet("JPEG set (4000 x 3000, 160 x 120 EXIF thumbnail inside; goal <= 0.30)", dir, names, vips,
                   work.path() + "/vips-exif");
    else
        out << "\nexiftool could not add EXIF thumbnails: no EXIF set" << Qt::endl;
    for (const QString &n : names)
        QFile::remove(dir + "/" + n);   // room on the disk for the next sets

    out << "\nGenerating " << otherCount << " PNGs of 3000 x 2000 and twice " << otherCount
        << " HEICs of 4032 x 3024..." << Qt::endl;
    const QString pngDir = work.path() + "/png", heicDir = work.path() + "/heic";
    const QStringList pngs = makeSet(pngDir, "png", otherCount, std::min(otherCount, 10), QSize(3000, 2000));
    const QStringList heics = makeSet(heicDir, "heic", otherCount, std::min(otherCount, 4), QSize(4032, 3024));
    const QString phoneDir = work.path() + "/heic-thumb";
    const QStringList phones =
        makeSet(phoneDir, "heic", otherCount, std::min(otherCount, 4), QSize(4032, 3024), true);
    compareSet("PNG set (3000 x 2000)", pngDir, pngs, vips, work.path() + "/vips-png");
    compareSet("HEIC set (4032 x 3024, no thumbnail inside)", heicDir, heics, vips, work.path() + "/vips-heic");
    compareSet("HEIC set (4032 x 3024, 320-pixel thumbnail inside)", phoneDir, phones, vips,
               work.path() + "/vips-heic-thumb");

    viewerOpening(work.path());
    return 0;
}
