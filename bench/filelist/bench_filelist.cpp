// Builds the List and the Detailed view for a folder of generated files and
// compares each with `ls -l` on the same folder, in the same run: the
// Detailed view until its names are on screen and until every column is
// filled in (and sorted).
//   bench_filelist [FILES=100000]
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "core/SettingsStore.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeLs(const QString &folder)
{
    QElapsedTimer t;
    t.start();
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    ls.start("ls", {"-l", folder});
    ls.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString folder = dir.path() + "/many";
    mkdir(QFile::encodeName(folder).constData(), 0755);
    const char *exts[] = {".jpg", ".mp3", ".txt", ".gif", ".png", ".avi", ".htm", ".bmp"};
    for (int i = 0; i < count; ++i) {
        char name[64];
        snprintf(name, sizeof name, "/Picture %06d%s", (i * 7919) % count, exts[i % 8]);
        const QByteArray path = QFile::encodeName(folder) + name;
        const int fd = open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            if (i % 3 == 0)
                (void)!write(fd, "data", 4);
            close(fd);
        }
    }
    printf("folder: %d files\n", count);

    QTemporaryDir settings;
    LinkedParts parts;
    frmMain window(std::make_shared<SettingsStore>(settings.filePath("bench.ini")), parts);
    window.Form_Load();
    window.show();
    app.processEvents();
    timeLs(folder); // warm the directory cache for both sides

    bool filled = false;
    QObject::connect(&window, &frmMain::detailsRead, [&] { filled = true; });
    std::vector<double> ls, list, detailed, allFilled;
    for (int round = 0; round < 5; ++round) {
        ls.push_back(timeLs(folder));

        window.mnuList_Click();
        window.goToFolder(dir.path());
        QElapsedTimer t;
        t.start();
        window.goToFolder(folder); // folder change: List build
        app.processEvents();        // lay out and paint what is visible
        list.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        filled = false;
        window.mnuDetail_Click();   // view change: Detailed build
        app.processEvents();        // the names on screen
        detailed.push_back(t.nsecsElapsed() / 1e6);
        while (!filled)             // sizes, dates and types read, and sorted
            app.processEvents(QEventLoop::WaitForMoreEvents);
        allFilled.push_back(t.nsecsElapsed() / 1e6);
    }
    const double l = median(ls), li = median(list), de = median(detailed), all = median(allFilled);
    printf("listed: %d entries (FileCount %d)\n", window.entryCount(), window.state().FileCount);
    printf("ls -l:    %8.1f ms\n", l);
    printf("List:     %8.1f ms  ratio %.2f (goal <= 2)\n", li, li / l);
    printf("Detailed, names on screen:   %8.1f ms  ratio %.2f (goal <= 0.5)\n", de, de / l);
    printf("Detailed, every column in:   %8.1f ms  ratio %.2f (goal <= 4)\n", all, all / l);
    window.hide();
    return 0;
}
