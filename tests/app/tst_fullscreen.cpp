// The viewer really covers the whole output, as a user sees it: the program
// is started on a file, the whole screen is photographed from outside, and
// the pixels at the corners, the edges and around the centred picture are
// checked. Once on an X server (Xvfb) and once under a Wayland compositor
// with a panel (weston's headless back end), where only the window system's
// full-screen state keeps the panel off the viewer.
#include <QDir>
#include <QImage>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {
const QSize PictureSize(200, 100);
const QColor PictureColour(0, 255, 0);

// Empty when the shot shows the viewer over the whole screen with the
// picture centred; otherwise what is wrong.
QString checkShot(const QImage &shot)
{
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    const int w = shot.width(), h = shot.height();
    const QPoint c(w / 2, h / 2);
    const int hw = PictureSize.width() / 2, hh = PictureSize.height() / 2;
    struct Probe {
        QPoint at;
        QColor want;   // invalid: anything but the picture's green
        int tolerance;
    };
    // The viewer's background fades from magenta at the top to black at the
    // bottom across the whole width; the picture shows just inside its
    // edges and not just outside them.
    const QColor magenta(255, 0, 255), black(0, 0, 0), half(127, 0, 127);
    const Probe probes[] = {
        {{1, 1}, magenta, 12}, {{w - 2, 1}, magenta, 12}, {{1, h - 2}, black, 8}, {{w - 2, h - 2}, black, 8},
        {{1, h / 2}, half, 8}, {{w - 2, h / 2}, half, 8},
        {c, PictureColour, 0}, {c + QPoint(-hw + 3, 0), PictureColour, 0}, {c + QPoint(hw - 4, 0), PictureColour, 0},
        {c + QPoint(0, -hh + 3), PictureColour, 0}, {c + QPoint(0, hh - 4), PictureColour, 0},
        {c + QPoint(-hw - 4, 0), {}, 0}, {c + QPoint(hw + 4, 0), {}, 0},
        {c + QPoint(0, -hh - 4), {}, 0}, {c + QPoint(0, hh + 4), {}, 0},
    };
    for (const Probe &p : probes) {
        const QColor got = shot.pixelColor(p.at);
        const bool ok = p.want.isValid() ? qAbs(got.red() - p.want.red()) <= p.tolerance
                                               && qAbs(got.green() - p.want.green()) <= p.tolerance
                                               && qAbs(got.blue() - p.want.blue()) <= p.tolerance
                                         : got.green() <= 20;
        if (!ok)
            return QStringLiteral("(%1,%2) is %3").arg(p.at.x()).arg(p.at.y()).arg(got.name());
    }
    return QString();
}

QImage runToImage(const QString &program, const QStringList &args, const QProcessEnvironment &env,
                  const QString &folder = QString())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return QImage();
    return QImage::fromData(p.readAllStandardOutput());
}

void stop(QProcess &p)
{
    if (p.state() != QProcess::NotRunning) {
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
    }
}
} // namespace

class TestFullScreen : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void coversTheXServerScreen();
    void coversTheWaylandOutputAndItsPanel();

private:
    // Starts the viewer on the picture (a name beginning with "-", so the
    // "--" of the command line is used too) and photographs the screen until
    // checkShot passes or time runs out; returns the last complaint.
    QString viewerCovers(const QProcessEnvironment &env, const std::function<QImage()> &screenshot,
                         QImage *lastShot);
    QTemporaryDir m_dir;
    QString m_picture;
};

void TestFullScreen::initTestCase()
{
    QImage picture(PictureSize, QImage::Format_RGB32);
    picture.fill(PictureColour);
    m_picture = m_dir.filePath("-viewer.bmp");   // a kind the viewer shows as a picture
    QVERIFY(picture.save(m_picture));
}

QString TestFullScreen::viewerCovers(const QProcessEnvironment &env, const std::function<QImage()> &screenshot,
                                     QImage *lastShot)
{
    QProcess viewer;
    viewer.setProcessEnvironment(env);
    viewer.setWorkingDirectory(m_dir.path());
    viewer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    viewer.start(GW_PROGRAM, {"--", m_picture});
    if (!viewer.waitForStarted(10000))
        return QStringLiteral("the program did not start");
    QString complaint = QStringLiteral("no screenshot taken");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        if (viewer.state() == QProcess::NotRunning) {
            complaint = QStringLiteral("the program ended with %1").arg(viewer.exitCode());
            break;
        }
        *lastShot = screenshot();
        complaint = checkShot(*lastShot);
        if (complaint.isEmpty())
            break;
        QTest::qWait(250);   // the window system has not shown it yet: look again
    }
    stop(viewer);
    return complaint;
}

void TestFullScreen::coversTheXServerScreen()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run through tests/run-xvfb.sh)");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    QImage shot;
    const QString complaint = viewerCovers(
        env, [&] { return runToImage("import", {"-window", "root", "png:-"}, env); }, &shot);
    if (!complaint.isEmpty())
        shot.save(QDir::temp().filePath("gw-fullscreen-x11.png"));
    QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    QCOMPARE(shot.size(), QSize(1280, 1024));
}

void TestFullScreen::coversTheWaylandOutputAndItsPanel()
{
    for (const char *tool : {"weston", "weston-screenshooter"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), "weston is missing (scripts/setup)");

    QTemporaryDir runtime;   // the compositor's socket; 0700 as Wayland wants
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("WAYLAND_DISPLAY", "gw-test");

    QProcess weston;
    weston.setProcessEnvironment(env);
    weston.setProcessChannelMode(QProcess::MergedChannels);
    // --debug lets weston-screenshooter read the output.
    weston.start("weston", {"--backend=headless-backend.so", "--use-pixman", "--width=800", "--height=600",
                            "--socket=gw-test", "--debug", "--idle-time=0"});
    QVERIFY(weston.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime.filePath("gw-test")), 15000);

    QTemporaryDir shots;
    auto screenshot = [&]() -> QImage {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(shots.path());
        p.start("weston-screenshooter", QStringList());
        if (!p.waitForFinished(15000))
            return QImage();
        QDir dir(shots.path());
        const QStringList names = dir.entryList({"*.png"}, QDir::Files, QDir::Time);
        if (names.isEmpty())
            return QImage();
        const QImage shot(dir.filePath(names.first()));
        for (const QString &n : names)
            dir.remove(n);
        return shot;
    };

    // The desktop first: its panel is really there to be covered.
    QImage desktop;
    QTRY_VERIFY_WITH_TIMEOUT(!(desktop = screenshot()).isNull() && desktop.pixelColor(400, 5) != desktop.pixelColor(400, 300),
                             15000);

    env.remove("QT_QPA_PLATFORM");   // the program picks Wayland itself: no X server is named
    QImage shot;
    const QString complaint = viewerCovers(env, screenshot, &shot);
    stop(weston);
    if (!complaint.isEmpty())
        shot.save(QDir::temp().filePath("gw-fullscreen-wayland.png"));
    QVERIFY2(complaint.isEmpty(), qPrintable(complaint + "\n" + QString::fromLocal8Bit(weston.readAll().right(2000))));
    QCOMPARE(shot.size(), QSize(800, 600));
}

QTEST_GUILESS_MAIN(TestFullScreen)
#include "tst_fullscreen.moc"
