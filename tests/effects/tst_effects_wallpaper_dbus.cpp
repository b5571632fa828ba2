// The wallpaper through the session bus: GNOME's own setting (gsettings over
// dconf, read back as the desktop would read it) and the XDG desktop portal
// for desktops without a setter of their own. Runs on a private session bus
// (dbus-run-session); the portal here is a stand-in that implements the
// portal's documented Wallpaper and Request interfaces, since no portal back
// end can run without a real desktop.
#include "DeskWall.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtConcurrent>
#include <QtTest>

namespace {
QString gsettingsGet(const QString &key)
{
    QProcess p;
    p.start("gsettings", {"get", "org.gnome.desktop.background", key});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QImage filled(const QColor &colour)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Answers the way the portal does: a request object named from the caller
// and its token, then that object's Response signal.
class FakeWallpaperPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Wallpaper")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakeWallpaperPortal(QDBusConnection bus) : m_bus(bus) {}
    uint version() const { return 1; }
    uint responseCode = 0;
    QString uri;
    QVariantMap options;
    int calls = 0;
public slots:
    QDBusObjectPath SetWallpaperURI(const QString &, const QString &uri_, const QVariantMap &options_,
                                    const QDBusMessage &message)
    {
        ++calls;
        uri = uri_;
        options = options_;
        QString sender = message.service().mid(1);
        sender.replace('.', '_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value("handle_token").toString());
        // Answered later, as a real portal does once the desktop has acted.
        QTimer::singleShot(50, this, [this, path] {
            QDBusMessage signal =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            signal << responseCode << QVariantMap();
            m_bus.send(signal);
        });
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};
} // namespace

class TestWallpaperDBus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void gnomeSettingShowsEachNewPicture();
    void portalSetsWhereNoSetterIsKnown();
    void portalThatCancelsLeavesAMessage();
    void withoutPortalTheUserIsTold();

private:
    static QProcessEnvironment desktopless();
    static DeskWallResult setInBackground(const QImage &picture, const QString &folder,
                                          const QProcessEnvironment &env);
    void startPortal();
    void stopPortal();
    QTemporaryDir m_folder;
    FakeWallpaperPortal *m_portal = nullptr;
};

void TestWallpaperDBus::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    QVERIFY2(!QStandardPaths::findExecutable("gsettings").isEmpty(), "gsettings is missing (scripts/setup)");
    // A portal already on the bus would make these tests meaningless.
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.portal.Desktop"));
}

QProcessEnvironment TestWallpaperDBus::desktopless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DISPLAY", "SWAYSOCK"})
        env.remove(v);
    env.insert("WAYLAND_DISPLAY", "wayland-test");
    return env;
}

DeskWallResult TestWallpaperDBus::setInBackground(const QImage &picture, const QString &folder,
                                                 const QProcessEnvironment &env)
{
    // As in the program: off the window's thread, which stays free to serve.
    QFuture<DeskWallResult> f = QtConcurrent::run([=] { return DeskWall(picture, folder, env); });
    if (!QTest::qWaitFor([&] { return f.isFinished(); }, 30000))
        qFatal("the wallpaper was still being set after 30 s");
    return f.result();
}

void TestWallpaperDBus::gnomeSettingShowsEachNewPicture()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CURRENT_DESKTOP", "GNOME");
    QString previous;
    for (const QColor colour : {QColor(200, 30, 40), QColor(20, 60, 220)}) {
        const DeskWallResult r = DeskWall(filled(colour), m_folder.path(), env);
        QVERIFY2(r.set, qPrintable(r.message));
        const QString uri = QUrl::fromLocalFile(r.shownPath).toString(QUrl::FullyEncoded);
        QCOMPARE(gsettingsGet("picture-uri"), "'" + uri + "'");
        QCOMPARE(gsettingsGet("picture-uri-dark"), "'" + uri + "'");
        // The file the desktop reads is the new picture, under a new name.
        QCOMPARE(QImage(r.shownPath).pixelColor(5, 5), colour);
        QVERIFY(r.shownPath != previous);
        if (!previous.isEmpty())
            QVERIFY(!QFileInfo::exists(previous));
        previous = r.shownPath;
    }
}

void TestWallpaperDBus::startPortal()
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal");
    QVERIFY(bus.isConnected());
    m_portal = new FakeWallpaperPortal(bus);
    QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", m_portal,
                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));
}

void TestWallpaperDBus::stopPortal()
{
    QDBusConnection bus("portal");
    bus.unregisterService("org.freedesktop.portal.Desktop");
    bus.unregisterObject("/org/freedesktop/portal/desktop");
    delete m_portal;
    m_portal = nullptr;
    QDBusConnection::disconnectFromBus("portal");
}

void TestWallpaperDBus::portalSetsWhereNoSetterIsKnown()
{
    startPortal();
    const DeskWallResult r = setInBackground(filled(Qt::green), m_folder.path(), desktopless());
    const int calls = m_portal->calls;
    const QString uri = m_portal->uri;
    const QVariantMap options = m_portal->options;
    stopPortal();
    QVERIFY2(r.set, qPrintable(r.message));
    QCOMPARE(calls, 1);
    QCOMPARE(uri, QUrl::fromLocalFile(r.shownPath).toString(QUrl::FullyEncoded));
    QCOMPARE(QImage(r.shownPath).pixelColor(3, 3), QColor(Qt::green));
    QCOMPARE(options.value("show-preview").toBool(), false);
    QCOMPARE(options.value("set-on").toString(), QStringLiteral("background"));
}

void TestWallpaperDBus::portalThatCancelsLeavesAMessage()
{
    startPortal();
    m_portal->responseCode = 1;
    const DeskWallResult r = setInBackground(filled(Qt::blue), m_folder.path(), desktopless());
    stopPortal();
    QVERIFY(r.written);
    QVERIFY(!r.set);
    QVERIFY2(r.message.contains("portal") && r.message.contains("cancelled"), qPrintable(r.message));
    QVERIFY(QFileInfo(r.path).isFile());
}

void TestWallpaperDBus::withoutPortalTheUserIsTold()
{
    const DeskWallResult r = setInBackground(filled(Qt::yellow), m_folder.path(), desktopless());
    QVERIFY(r.written);
    QVERIFY(!r.set);
    QVERIFY2(r.message.contains("cannot set the wallpaper"), qPrintable(r.message));
}

QTEST_GUILESS_MAIN(TestWallpaperDBus)
#include "tst_effects_wallpaper_dbus.moc"
