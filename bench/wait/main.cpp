// Where users wait; see README.md.
#include "../common/BenchPhoto.h"
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/PicturePreloader.h"
#include "viewer/ThumbnailBuilder.h"
#include "viewer/ThumbnailCache.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    QList<double> values;
    void add(double v) { values << v; }
    double median() const
    {
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        return v.isEmpty() ? 0 : v.at(v.size() / 2);
    }
    double best() const { return values.isEmpty() ? 0 : *std::min_element(values.begin(), values.end()); }
};

QString row(const QString &name, const Figures &f, const QString &unit)
{
    return QString("%1 median %2 %4, best %3 %4").arg(name, -46).arg(f.median(), 9, 'f', 1)
        .arg(f.best(), 9, 'f', 1).arg(unit);
}

// --- The thumbnail view's first and second visit ---------------------------

double visit(const QString &dir, const QStringList &names, const QString &cacheRoot)
{
    QListWidget view;
    view.setViewMode(QListView::IconMode);
    QList<ThumbnailEntry> entries;
    for (const QString &n : names)
        entries << ThumbnailEntry{n, 0, {}};
    ThumbnailBuilder builder;
    builder.setCache(std::make_shared<ThumbnailCache>(cacheRoot));
    QEventLoop loop;
    int items = 0;
    QObject::connect(&builder, &ThumbnailBuilder::itemReady, [&](int, const QString &name, const PackedImage &image) {
        view.addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(image.unpack())), name));
        ++items;
    });
    QObject::connect(&builder, &ThumbnailBuilder::finished, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    builder.start(dir, entries, 100);
    loop.exec();
    const double ms = t.nsecsElapsed() / 1e6;
    if (items != names.size())
        out << "  (only " << items << " items)" << Qt::endl;
    return ms;
}

void thumbnailVisits(const QString &dir, int count, int runs)
{
    QStringList names;
    out << "Writing " << count << " photos of 4000 x 3000..." << Qt::endl;
    for (int i = 0; i < count; ++i) {
        const QString name = QString("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        if (i < 10)
            photo(4000, 3000, i).save(dir + "/" + name, "JPG", 90);
        else
            QFile::copy(dir + "/" + names.at(i % 10), dir + "/" + name);
        names << name;
    }
    Figures first, second, ratio;
    for (int r = 0; r < runs; ++r) {
        QTemporaryDir cache;   // an empty cache: the first visit
        const QString root = cache.filePath("thumbnails");
        first.add(visit(dir, names, root));
        second.add(visit(dir, names, root));
        ratio.add(second.values.last() / first.values.last());
    }
    out << "\nThumbnails view of " << count << " photos, ThumbSize 100, " << runs << " runs (each: empty cache, then again)\n";
    out << row("first visit (decode, write the cache)", first, "ms") << "\n";
    out << row("second visit (from the cache)", second, "ms") << "\n";
    out << QString("second / first: median of the runs' ratios %1, best %2 (goal <= 0.10)\n")
               .arg(ratio.median(), 0, 'f', 3).arg(ratio.best(), 0, 'f', 3);
    out.flush();
}

// --- Space to a preloaded picture ------------------------------------------

OptionSet options;
AppState state;

void spaceToNext(const QString &dir, int runs)
{
    const QString a = dir + "/a24.jpg", b = dir + "/b24.jpg";
    photo(6000, 4000, 3).save(a, "JPG", 90);
    photo(6000, 4000, 5).save(b, "JPG", 90);
    for (bool big : {true, false}) {
        options.ScaleBig = big;
        Figures space, cold, ratio;
        for (int r = 0; r < runs; ++r) {
            // The same picture opened cold, for reference, in the same run.
            auto *c = new frmMedia(options, state);
            QElapsedTimer t;
            t.start();
            c->showPicture(b);
            c->waitForPicture(60000);
            c->repaint();
            cold.add(t.nsecsElapsed() / 1e6);
            delete c;

            auto *v = new frmMedia(options, state);
            v->showPicture(a);
            v->waitForPicture(60000);
            v->preloadPictures({b});
            QElapsedTimer wait;
            wait.start();
            while (!v->pictures()->isReady(b) && wait.elapsed() < 60000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            t.restart();
            const bool atOnce = v->showPicture(b);
            v->repaint();   // painted
            space.add(t.nsecsElapsed() / 1e6);
            if (!atOnce)
                out << "  (the preloaded picture was not ready)" << Qt::endl;
            ratio.add(space.values.last() / cold.values.last());
            delete v;
        }
        out << "\nSpace from one 24 MP JPEG to the next, preload finished, ScaleBig " << (big ? 1 : 0)
            << " (shown at " << (big ? "screen size" : "its own size") << "), " << runs << " runs\n";
        out << row("Space: next picture painted", space, "ms") << "\n";
        out << row("the same picture opened cold (decode + paint)", cold, "ms") << "\n";
        out << QString("Space / cold: median %1, best %2 (goal: Space <= 50 ms)\n")
                   .arg(ratio.median(), 0, 'f', 3).arg(ratio.best(), 0, 'f', 3);
        out.flush();
    }
}

// --- The window while a 40000 x 20000 JPEG opens ---------------------------

void hugeOpening(const QString &dir, int runs)
{
    const QString file = dir + "/huge.jpg";
    out << "\nWriting a 40000 x 20000 JPEG..." << Qt::endl;
    {
        const QImage huge = photo(40000, 20000, 9);
        if (!huge.save(file, "JPG", 85)) {
            out << "cannot write it: skipped\n";
            return;
        }
    }
    for (bool big : {false, true}) {
        options.ScaleBig = big;
        Figures stall, stallCpu, total, ratio;
        for (int r = 0; r < runs; ++r) {
            auto *v = new frmMedia(options, state);
            QElapsedTimer gap;
            double worst = 0, worstCpu = 0, gapCpu = 0;
            QTimer probe;
            probe.setInterval(1);
            QObject::connect(&probe, &QTimer::timeout, [&] {
                const double ms = gap.nsecsElapsed() / 1e6, cpu = threadCpuMs();
                if (ms > worst) {
                    worst = ms;
                    worstCpu = cpu - gapCpu;
                }
                gap.restart();
                gapCpu = cpu;
            });
            QElapsedTimer t;
            t.start();
            gap.start();
            gapCpu = threadCpuMs();
            probe.start();
            v->showPicture(file);   // the probe's gaps include this call
            v->waitForPicture(600000);
            v->repaint();
            const double ms = gap.nsecsElapsed() / 1e6;
            if (ms > worst) {
                worst = ms;
                worstCpu = threadCpuMs() - gapCpu;
            }
            probe.stop();
            total.add(t.nsecsElapsed() / 1e6);
            stall.add(worst);
            stallCpu.add(worstCpu);
            ratio.add(worst / total.values.last());
            if (r == 0)
                out << "  shown at " << v->picMedia->width() << " x " << v->picMedia->height() << Qt::endl;
            delete v;
        }
        out << "\n40000 x 20000 JPEG opened, ScaleBig " << (big ? 1 : 0) << ", " << runs << " runs\n";
        out << row("open until painted (what the window froze for before)", total, "ms") << "\n";
        out << row("worst stall of the window's thread", stall, "ms") << "\n";
        out << row("  of which that thread's own CPU time", stallCpu, "ms") << "\n";
        out << QString("stall / open: median %1, best %2 (goal: stall <= 50 ms)\n")
                   .arg(ratio.median(), 0, 'f', 4).arg(ratio.best(), 0, 'f', 4);
        out.flush();
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto number = [&](const QString &flag, int fallback) {
        const int at = args.indexOf(flag);
        return at > 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const int files = number("--files", 200);
    const int runs = number("--runs", 5);
    const bool skipHuge = args.contains("--no-huge");

    QTemporaryDir dir;
    out << "Platform " << QGuiApplication::platformName() << ", screen "
        << QGuiApplication::primaryScreen()->size().width() << " x "
        << QGuiApplication::primaryScreen()->size().height() << Qt::endl;
    thumbnailVisits(dir.path(), files, std::max(1, runs / 2));
    spaceToNext(dir.path(), runs);
    if (!skipHuge)
        hugeOpening(dir.path(), std::max(1, runs / 2));
    return 0;
}
