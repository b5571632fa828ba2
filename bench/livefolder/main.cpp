// The Thumbnails view of a folder while another program writes files into
// it, 100 a second: the longest the window's event loop is held up, against
// the same view left idle for as long, in the same run.
//   bench_livefolder [ARRIVING=1000] [PRESENT=1000]
#include "../common/OwnCache.h"
#include "../common/BenchPhoto.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"
#include "browser/FileListModel.h"
#include "core/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
// Runs the event loop for ms and returns the longest gap between two ticks
// of a 5 ms timer beyond its interval: how long the window could not answer.
double longestStall(QApplication &app, int ms, const std::function<bool()> &doneEarly = {})
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    double worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, (now - last) / 1e6 - 5);
        last = now;
    });
    tick.start(5);
    while (clock.elapsed() < ms && !(doneEarly && doneEarly()))
        app.processEvents(QEventLoop::AllEvents, 5);
    return worst;
}
} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    offscreenWithOwnCache(dir);
    QApplication app(argc, argv);
    const int arriving = argc > 1 ? atoi(argv[1]) : 1000;
    const int present = argc > 2 ? atoi(argv[2]) : 1000;
    const QString folder = dir.filePath("shoot");
    const QString source = dir.filePath("card");
    QDir().mkpath(folder);
    QDir().mkpath(source);
    // Camera-sized files would measure the decoder: small distinct photos
    // keep the measure on the window.
    for (int i = 0; i < present; ++i)
        photo(320, 240, i).save(QStringLiteral("%1/old%2.jpg").arg(folder).arg(i, 5, 10, QChar('0')), "JPG", 85);
    for (int i = 0; i < arriving; ++i)
        photo(320, 240, 100000 + i).save(QStringLiteral("%1/new%2.jpg").arg(source).arg(i, 5, 10, QChar('0')), "JPG", 85);
    std::printf("folder: %d pictures, %d arriving at 100 a second\n", present, arriving);

    QTemporaryDir settings;
    LinkedParts parts;
    frmMain window(std::make_shared<SettingsStore>(settings.filePath("bench.ini")), parts);
    window.Form_Load();
    window.resize(1000, 700);
    window.show();
    window.mnuThumbs_Click();
    window.goToFolder(folder);
    // The first build done before anything is measured.
    QElapsedTimer wait;
    wait.start();
    while (window.listModel()->rowCount() < present && wait.elapsed() < 300000)
        app.processEvents(QEventLoop::AllEvents, 20);
    std::printf("first build: %d thumbnails in %.1f s\n", window.listModel()->rowCount(), wait.elapsed() / 1000.0);
    if (window.listModel()->rowCount() < present)
        return 1;   // what would be measured is not the folder's change alone
    const int runMs = arriving * 10;

    const double idle = longestStall(app, runMs);

    std::atomic_bool writing{true};
    std::thread camera([&] {
        auto next = std::chrono::steady_clock::now();
        for (int i = 0; i < arriving; ++i) {
            const QString name = QStringLiteral("new%1.jpg").arg(i, 5, 10, QChar('0'));
            QFile::copy(source + "/" + name, folder + "/" + name);
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        writing = false;
    });
    QElapsedTimer live;
    live.start();
    const double busy = longestStall(app, runMs + 30000, [&] {
        return !writing && window.listModel()->rowCount() >= present + arriving;
    });
    const double followedMs = live.elapsed();
    camera.join();

    std::printf("all %d shown: %s, %.1f s after the first arrived (writing took %.1f s)\n", present + arriving,
                window.listModel()->rowCount() >= present + arriving ? "yes" : "NO", followedMs / 1000,
                runMs / 1000.0);
    std::printf("longest stall idle: %.1f ms\n", idle);
    std::printf("longest stall while files arrive: %.1f ms (goal 50 ms; %.2f x idle)\n", busy,
                idle > 0 ? busy / idle : 0);
    std::printf("files in list: %s\n", qPrintable(window.lblFileCount->text().trimmed()));
    return 0;
}
