// The viewer really covers the whole output, as a user sees it: the program
// is started on a file, the whole screen is photographed from outside, and
// the corners and the centred picture are checked. Once on an X server (Xvfb)
// and once under a Wayland compositor with a panel (weston's headless back
// end), where only the window system's full-screen state keeps the panel off
// the viewer.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

#include <functional>

namespace {
// Empty when the shot shows the viewer over the whole screen with the 200 x
// 100 green picture centred; otherwise what is wrong. The background fades
// from magenta at the top to black at the bottom across the whole width.
QString checkShot(const QImage &shot)
{
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    const int w = shot.width(), h = shot.height();
    const QPoint c(w / 2, h / 2);
    const QList<QPair<QPoint, QColor>> probes = {
        {{1, 1}, QColor(255, 0, 255)}, {{w - 2, h - 2}, QColor(0, 0, 0)},
        {c + QPoint(-97, 0), QColor(0, 255, 0)}, {c + QPoint(96, 0), QColor(0, 255, 0)},
        {c + QPoint(0, -54), QColor()}};   // invalid: anything but the picture's green
    for (const auto &[at, want] : probes) {
        const QColor got = shot.pixelColor(at);
        const bool ok = want.isValid() ? qAbs(got.red() - want.red()) <= 12 && qAbs(got.green() - want.green()) <= 12
                                             && qAbs(got.blue() - want.blue()) <= 12
                                       : got.green() <= 20;
        if (!ok)
            return QStringLiteral("(%1,%2) is %3").arg(at.x()).arg(at.y()).arg(got.name());
    }
    return QString();
}
} // namespace

class TestFullScreen : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Starts the viewer on a picture named with a leading "-" (so the "--" of
    // the command line is used too) and photographs the screen until
    // checkShot passes or time runs out; returns the last complaint.
    QString viewerCovers(const QProcessEnvironment &env, const std::function<QImage()> &screenshot)
    {
        QImage picture = testpictures::solid(200, 100, QColor(0, 255, 0));
        if (!picture.save(m_dir.filePath("-viewer.bmp")))
            return QStringLiteral("no picture");
        QProcess viewer;
        viewer.setProcessEnvironment(env);
        viewer.setWorkingDirectory(m_dir.path());
        viewer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        viewer.start(GW_PROGRAM, {"--", m_dir.filePath("-viewer.bmp")});
        if (!viewer.waitForStarted(10000))
            return QStringLiteral("the program did not start");
        // Looked at again until the window system shows it, or the program ends.
        QString complaint;
        QTest::qWaitFor([&] {
            if (viewer.state() == QProcess::NotRunning)
                return true;
            complaint = checkShot(screenshot());
            return complaint.isEmpty();
        }, 30000);
        if (viewer.state() == QProcess::NotRunning)
            return QStringLiteral("the program ended with %1").arg(viewer.exitCode());
        // The picture shows without the web engine, the players' framework
        // or the CD library, and without the decoders of formats this
        // process never decodes: those load when first used.
        if (complaint.isEmpty()) {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(viewer.processId()));
            const QByteArray mapped = maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
            if (!mapped.contains("libQt6Gui"))
                complaint = QStringLiteral("the program's libraries cannot be read");
            for (const char *library : {"libQt6WebEngineCore", "libQt6Multimedia", "libcdio", "libheif", "libjxl"})
                if (mapped.contains(library))
                    complaint = QStringLiteral("%1 is loaded at start").arg(QLatin1String(library));
        }
        viewer.kill();
        viewer.waitForFinished(5000);
        return complaint;
    }

private slots:
    void coversTheXServerScreen()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (run through tests/run-xvfb.sh)");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        auto screenshot = [&] {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start("import", {"-window", "root", "png:-"});
            return p.waitForFinished(20000) && p.exitCode() == 0 ? QImage::fromData(p.readAllStandardOutput())
                                                                 : QImage();
        };
        const QString complaint = viewerCovers(env, screenshot);
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    }

    void coversTheWaylandOutputAndItsPanel()
    {
        QTemporaryDir runtime, shots;   // the compositor's socket; 0700 as Wayland wants
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");   // the program picks Wayland itself: no X server is named
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("WAYLAND_DISPLAY", "gw-test");
        QProcess weston;
        weston.setProcessEnvironment(env);
        // --debug lets weston-screenshooter read the output.
        weston.start("weston", {"--backend=headless-backend.so", "--use-pixman", "--width=800", "--height=600",
                                "--socket=gw-test", "--debug", "--idle-time=0"});
        QVERIFY2(weston.waitForStarted(10000), "weston is missing (scripts/setup)");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime.filePath("gw-test")), 15000);
        auto screenshot = [&]() -> QImage {
            QProcess p;
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(shots.path());
            p.start("weston-screenshooter", QStringList());
            p.waitForFinished(15000);
            QDir dir(shots.path());
            const QStringList names = dir.entryList({"*.png"}, QDir::Files, QDir::Time);
            const QImage shot = names.isEmpty() ? QImage() : QImage(dir.filePath(names.first()));
            for (const QString &n : names)
                dir.remove(n);
            return shot;
        };
        const QString complaint = viewerCovers(env, screenshot);
        weston.kill();
        weston.waitForFinished(5000);
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    }
};

QTEST_GUILESS_MAIN(TestFullScreen)
#include "tst_fullscreen.moc"
