// What the decoding sandbox costs, each as a ratio against the same work in
// this process, in one run:
//   - a first visit of 200 photos in the Thumbnails view's builder;
//   - a 24 MP JPEG fitted to a 1920 x 1080 screen with a new pool, as
//     opening a file from the command line starts one;
//   - the same with the pool's helpers warm, as Space to a picture that was
//     not decoded ahead finds them.
// Usage: bench_sandbox [rounds]   (glintwave-decode beside this program)
#include "../common/BenchPhoto.h"
#include "../common/MedianTime.h"
#include "decode/ProgramPool.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "viewer/ThumbnailBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

// Every thumbnail of the folder built once, without a cache: a first visit.
void firstVisit(const QString &folder, const QStringList &names)
{
    QList<ThumbnailEntry> entries;
    for (const QString &n : names)
        entries << ThumbnailEntry{n, 0, {}};
    ThumbnailBuilder builder;
    QEventLoop loop;
    QObject::connect(&builder, &ThumbnailBuilder::finished, &loop, &QEventLoop::quit);
    builder.start(folder, entries, 100);
    loop.exec();
}

std::unique_ptr<DecoderPool> newPool()
{
    auto pool = startDecoderPool(QCoreApplication::applicationDirPath(), PictureLimits::helperAddressSpace());
    if (const QString notice = pool->notice(); !notice.isEmpty())
        out << "(" << notice << ")\n";
    return pool;
}

void row(const QString &what, double sandboxed, double inProcess, const QString &goal)
{
    out << QString("%1 sandboxed %2 ms, in process %3 ms, ratio %4  (%5)\n")
               .arg(what, -44).arg(sandboxed, 8, 'f', 1).arg(inProcess, 8, 'f', 1)
               .arg(sandboxed / inProcess, 0, 'f', 3).arg(goal);
    out.flush();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < 200; ++i) {
        const QString name = QString("p%1.jpg").arg(i, 3, 10, QChar('0'));
        photo(1600, 1200, i).save(dir.filePath(name), "JPEG", 88);
        photos << name;
    }
    const QString big = dir.filePath("big.jpg");
    photo(6000, 4000, 7).save(big, "JPEG", 90);
    const auto screen = [](const QSize &s) { return s.scaled(1920, 1080, Qt::KeepAspectRatio); };

    std::unique_ptr<DecoderPool> pool = newPool();
    auto sandboxed = [&](const std::function<void()> &work) {
        PictureLoader::setDecoderPool(pool.get());
        work();
        PictureLoader::setDecoderPool(nullptr);
    };

    // Alternated so that neither side gets the warmer machine.
    QList<double> tp, th;
    for (int i = 0; i < rounds; ++i) {
        tp << medianMs(1, [&] { sandboxed([&] { firstVisit(dir.path(), photos); }); });
        th << medianMs(1, [&] { firstVisit(dir.path(), photos); });
    }
    row("first visit, 200 photos (1600 x 1200)", median(tp), median(th), "goal <= 1.10");

    QList<double> fresh;
    for (int i = 0; i < rounds; ++i) {
        pool = newPool();   // its first decode starts a helper, as a new program's does
        fresh << medianMs(1, [&] { sandboxed([&] { PictureLoader::loadFitted(big, screen); }); });
    }
    const double cold = median(fresh);
    const double here = medianMs(rounds, [&] { PictureLoader::loadFitted(big, screen); });
    row("24 MP JPEG fitted, new pool (command line)", cold, here, "goal <= 1.05");
    const double warm = medianMs(rounds, [&] { sandboxed([&] { PictureLoader::loadFitted(big, screen); }); });
    row("24 MP JPEG fitted, warm pool (Space)", warm, here, "goal <= 50 ms when not decoded ahead");
    return 0;
}
