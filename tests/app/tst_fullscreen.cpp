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

bool near(const QColor &c, int r, int g, int b, int tolerance)
{
    return qAbs(c.red() - r) <= tolerance && qAbs(c.green() - g) <= tolerance && qAbs(c.blue() - b) <= tolerance;
}

QString describe(const char *where, QPoint p, const QColor &c)
{
    return QStringLiteral("%1 (%2,%3) is %4,%5,%6").arg(where).arg(p.x()).arg(p.y()).arg(c.red()).arg(c.green()).arg(c.blue());
}

// Empty when the shot shows the viewer over the whole screen with the
// picture centred; otherwise what is wrong.
QString checkShot(const QImage &shot)
{
    if (shot.isNull())
        return QStringLiteral("no screenshot");
    const int w = shot.width(), h = shot.height();
    // The viewer's background: magenta at the top, fading to black at the
    // bottom, across the whole width.
    for (const QPoint p : {QPoint(1, 1), QPoint(w - 2, 1)}) {
        const QColor c = shot.pixelColor(p);
        if (!near(c, 255, 0, 255, 12))
            return describe("top corner", p, c);
    }
    for (const QPoint p : {QPoint(1, h - 2), QPoint(w - 2, h - 2)}) {
        const QColor c = shot.pixelColor(p);
        if (!near(c, 0, 0, 0, 8))
            return describe("bottom corner", p, c);
    }
    for (const QPoint p : {QPoint(1, h / 2), QPoint(w - 2, h / 2)}) {
        const QColor c = shot.pixelColor(p);
        if (!near(c, 127, 0, 127, 8))
            return describe("middle of an edge", p, c);
    }
    // The picture, centred: inside its edges it shows, just outside it does not.
    const QPoint centre((w - PictureSize.width()) / 2 + PictureSize.width() / 2,
                        (h - PictureSize.height()) / 2 + PictureSize.height() / 2);
    const int hw = PictureSize.width() / 2, hh = PictureSize.height() / 2;
    for (const QPoint d : {QPoint(0, 0), QPoint(-hw + 3, 0), QPoint(hw - 4, 0), QPoint(0, -hh + 3), QPoint(0, hh - 4)}) {
        const QColor c = shot.pixelColor(centre + d);
        if (c != PictureColour)
            return describe("inside the picture", centre + d, c);
    }
    for (const QPoint d : {QPoint(-hw - 4, 0), QPoint(hw + 4, 0), QPoint(0, -hh - 4), QPoint(0, hh + 4)}) {
        const QColor c = shot.pixelColor(centre + d);
        if (c.green() > 20)
            return describe("outside the picture", centre + d, c);
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
