// What photographers wait for, each as a ratio against a reference measured
// in the same run:
//   - a 24 MP JPEG that carries a ProPhoto profile: its load, converted to
//     sRGB, against loading the same picture untagged;
//   - a 24 MP camera RAW: its preview for a 1920 x 1080 screen against its
//     full development;
//   - a 300-frame 1920 x 1080 animation playing through: the memory it adds
//     against one frame's pixels (and against holding every frame).
// Usage: bench_photos [rounds]   (needs ffmpeg on the PATH for the animation)
#include "../common/BenchPhoto.h"
#include "../common/MedianTime.h"
#include "../../tests/common/DngWriter.h"
#include "viewer/AnimationPlayer.h"
#include "viewer/PictureLoader.h"
#include "viewer/SrgbConverter.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

qint64 statusKb(const char *field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void colour(const QString &dir, int rounds)
{
    QImage picture = photo(6000, 4000, 3);
    const QString plain = dir + "/plain.jpg", tagged = dir + "/prophoto.jpg";
    picture.save(plain, "JPEG", 90);
    picture.setColorSpace(QColorSpace::ProPhotoRgb);
    picture.save(tagged, "JPEG", 90);
    const QByteArray icc = QColorSpace(QColorSpace::ProPhotoRgb).iccProfile();

    const PairedTimes loads = pairedMedians(rounds, [&] { PictureLoader::load(tagged); },
                                            [&] { PictureLoader::load(plain); });
    const double decode = loads.referenceMs, whole = loads.workMs;
    const QImage decoded = PictureLoader::load(plain).image;
    SrgbConverter converter;
    converter.toSrgb(decoded, icc);   // the transform is made once per profile
    const double convert = medianMs(rounds, [&] { converter.toSrgb(decoded, icc); });
    out << QString("24 MP JPEG decode (untagged)            %1 ms\n").arg(decode, 8, 'f', 1);
    out << QString("24 MP JPEG decode (ProPhoto, converted) %1 ms\n").arg(whole, 8, 'f', 1);
    out << QString("sRGB conversion alone                   %1 ms\n").arg(convert, 8, 'f', 1);
    // Tagged photos are converted while they decode, so the goal is the whole load's.
    out << QString("conversion / decode                     %1\n").arg(convert / decode, 8, 'f', 3);
    out << QString("tagged load / untagged load             %1   (goal <= 1.15; median of paired rounds)\n")
               .arg(loads.ratio, 8, 'f', 3);
    // As the viewer asks: fitted to a 1920 x 1080 screen.
    const auto screen = [](const QSize &s) { return s.scaled(1920, 1080, Qt::KeepAspectRatio); };
    const PairedTimes fitted = pairedMedians(rounds, [&] { PictureLoader::loadFitted(tagged, screen); },
                                             [&] { PictureLoader::loadFitted(plain, screen); });
    out << QString("fitted to 1920 x 1080: tagged / untagged %1  (%2 ms against %3 ms)\n\n")
               .arg(fitted.ratio, 7, 'f', 3).arg(fitted.workMs, 0, 'f', 1).arg(fitted.referenceMs, 0, 'f', 1);
}

void raw(const QString &dir, int rounds)
{
    const QString path = dir + "/camera.dng";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)
            || f.write(dngwriter::dng(photo(1920, 1280, 5), photo(6000, 4000, 5))) <= 0) {
            out << "cannot write " << path << "\n";
            return;
        }
    }
    const auto screen = [](const QSize &s) { return s.scaled(1920, 1080, Qt::KeepAspectRatio); };
    PictureLoader::LoadRequest quick;
    quick.sizeRule = screen;
    quick.quickPreview = true;
    const LoadedPicture shown = PictureLoader::load(path, quick);
    const LoadedPicture developed = PictureLoader::load(path);
    // A preview that covers the screen is the picture shown (not marked as a
    // stand-in); the whole picture is always developed.
    if (!shown.ok() || shown.image.width() > 1920 || !developed.ok() || developed.preview) {
        out << "RAW: preview " << shown.preview << ", developed " << developed.ok() << " " << developed.error << "\n";
        return;
    }
    const double preview = medianMs(rounds, [&] { PictureLoader::load(path, quick); });
    const double full = medianMs(std::max(1, rounds / 2), [&] { PictureLoader::load(path); });
    out << QString("24 MP RAW preview for the screen        %1 ms\n").arg(preview, 8, 'f', 1);
    out << QString("24 MP RAW full development              %1 ms  (%2 x %3)\n")
               .arg(full, 8, 'f', 1).arg(developed.image.width()).arg(developed.image.height());
    out << QString("preview / development                   %1\n\n").arg(preview / full, 8, 'f', 3);
}

void animation(const QString &dir)
{
    const QString path = dir + "/long.gif";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=50",
                            "-frames:v", "300", "-loop", "-1", path});   // played once
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) {
        out << "ffmpeg could not make the animation\n";
        return;
    }
    const qint64 before = statusKb("VmRSS:");
    {   // restart the peak from here
        QFile reset("/proc/self/clear_refs");
        if (reset.open(QIODevice::WriteOnly))
            reset.write("5");
    }
    AnimationPlayer player;
    int frames = 0;
    qint64 peak = 0;
    QEventLoop loop;
    QObject::connect(&player, &AnimationPlayer::frameShown, [&](const QImage &, int, int) {
        ++frames;
        peak = std::max(peak, statusKb("VmRSS:"));
    });
    QObject::connect(&player, &AnimationPlayer::finished, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    player.start(path, [](const QSize &s) { return s; }, Qt::black);
    loop.exec();
    const double frameMb = 1920.0 * 1080 * 4 / 1048576;
    const double added = (std::max(peak, statusKb("VmHWM:")) - before) / 1024.0;
    out << QString("animation: %1 frames shown in %2 s, most frames held %3\n")
               .arg(frames).arg(t.elapsed() / 1000.0, 0, 'f', 1).arg(player.mostFramesHeld());
    out << QString("memory added while playing              %1 MB\n").arg(added, 8, 'f', 1);
    out << QString("added / one frame (%1 MB)            %2\n").arg(frameMb, 0, 'f', 1).arg(added / frameMb, 8, 'f', 2);
    out << QString("added / all 300 frames (%1 MB)     %2\n").arg(frameMb * 300, 0, 'f', 0)
               .arg(added / (frameMb * 300), 8, 'f', 4);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    colour(dir.path(), rounds);
    out.flush();
    raw(dir.path(), rounds);
    out.flush();
    animation(dir.path());
    out.flush();
    return 0;
}
