// Launch to picture, as a user sees it: `glintwave FILE` against `feh -F FILE`
// (fitted) or `feh -F --zoom 100 FILE` (own size), each start a new process,
// timed from its launch until the screen's centre shows the picture's centre.
// The screen is read back from the X server, so nothing either program says
// about itself is trusted. The two alternate, and the ratio is of the medians.
// Usage (on an X display, e.g. xvfb-run -s "-screen 0 1920x1080x24"):
//   bench_launch [rounds] [fitted|own] [PROGRAM]
// PROGRAM is the glintwave to start (another build's, to compare two trees);
// by default the one beside this benchmark.
#include "../common/BenchPhoto.h"
#include "../common/MedianTime.h"
#include "decode/HelperLaunch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>

namespace {

// Pure magenta: neither the photo around it nor an empty screen has it.
constexpr int PatchRgb = 0xff00ff;

// Whether the 5 x 5 pixels at the screen's centre are the patch's colour
// (JPEG and scaling move it a little).
bool centreShowsPatch(Display *display)
{
    const Window root = DefaultRootWindow(display);
    const int cx = DisplayWidth(display, DefaultScreen(display)) / 2;
    const int cy = DisplayHeight(display, DefaultScreen(display)) / 2;
    XImage *image = XGetImage(display, root, cx - 2, cy - 2, 5, 5, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool all = true;
    for (int y = 0; y < 5 && all; ++y)
        for (int x = 0; x < 5 && all; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const int r = int(p >> 16 & 255), g = int(p >> 8 & 255), b = int(p & 255);
            all = r > 200 && g < 60 && b > 200;
        }
    XDestroyImage(image);
    return all;
}

void pause(long microseconds)
{
    const timespec t{0, microseconds * 1000};
    nanosleep(&t, nullptr);
}

// The command in a process group of its own (ended whole, helpers too),
// its output to /dev/null; -1 when it cannot be started.
pid_t start(const QStringList &command)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QString why;
    const pid_t pid = spawnProgram(command, &actions, &why);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Milliseconds from launch until the centre shows the patch.
double launchMs(Display *display, const QStringList &command)
{
    for (int i = 0; i < 5000 && centreShowsPatch(display); ++i)
        pause(1000);   // the last start's window is still going
    QElapsedTimer t;
    t.start();
    const pid_t pid = start(command);
    if (pid < 0) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(command.first()));
        std::exit(1);
    }
    while (!centreShowsPatch(display)) {
        if (t.elapsed() > 30000 || ::waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "%s did not show the picture\n", qPrintable(command.join(' ')));
            std::exit(1);
        }
        pause(2000);
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    endProgram(pid);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    const bool fitted = !(argc > 2 && QByteArray(argv[2]) == "own");
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("bench_launch needs an X display\n", stderr);
        return 1;
    }
    QTemporaryDir dir;
    // The program reads and writes no options of the user's, and has the
    // scaling asked for.
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        qputenv(name, QFile::encodeName(dir.filePath(name)));
    QDir().mkpath(dir.filePath("XDG_CONFIG_HOME/Glintwave"));
    QFile ini(dir.filePath("XDG_CONFIG_HOME/Glintwave/Glintwave.ini"));
    if (!ini.open(QIODevice::WriteOnly)
        || ini.write(QByteArray("[Settings]\nScaleBig=") + (fitted ? "1" : "0") + "\n") <= 0)
        return 1;
    ini.close();
    // A 24 MP photo whose centre is a patch large enough to stay after
    // fitting it to the screen.
    QImage picture = photo(6000, 4000, 3);
    QPainter(&picture).fillRect(QRect(3000 - 200, 2000 - 200, 400, 400), QColor(QRgb(PatchRgb)));
    const QString file = dir.filePath("centre.jpg");
    if (!picture.save(file, "JPEG", 90))
        return 1;
    const QString glintwave =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : QCoreApplication::applicationDirPath() + "/glintwave";
    const QStringList ours{glintwave, file};
    const QString fehProgram = QStandardPaths::findExecutable("feh");
    const QStringList feh = fitted ? QStringList{fehProgram, "-F", file}
                                   : QStringList{fehProgram, "-F", "--zoom", "100", file};
    launchMs(display, ours);   // files and libraries in the page cache for both
    launchMs(display, feh);
    QList<double> oursMs, fehMs;
    for (int i = 0; i < rounds; ++i) {
        oursMs << launchMs(display, ours);
        fehMs << launchMs(display, feh);
    }
    QTextStream(stdout) << QString("Launch to a 24 MP JPEG on screen (%1): glintwave %2 ms, feh %3 ms, ratio %4 "
                                   "(goal <= %5)\n")
                               .arg(fitted ? "fitted" : "own size")
                               .arg(median(oursMs), 0, 'f', 1)
                               .arg(median(fehMs), 0, 'f', 1)
                               .arg(median(oursMs) / median(fehMs), 0, 'f', 3)
                               .arg(fitted ? "0.6" : "0.9");
    XCloseDisplay(display);
    return 0;
}
