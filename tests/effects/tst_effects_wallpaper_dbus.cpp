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
    QTemporaryDir m_folder;

    static QProcessEnvironment desktopless()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DISPLAY", "SWAYSOCK"})
            env.remove(v);
        env.insert("WAYLAND_DISPLAY", "wayland-test");
        return env;
    }
    // As in the program: off the window's thread, which stays free to serve the portal's reply.
    DeskWallResult setInBackground(const QImage &picture)
    {
        const QString folder = m_folder.path();
        QFuture<DeskWallResult> f = QtConcurrent::run([=] { return DeskWall(picture, folder, desktopless()); });
        if (!QTest::qWaitFor([&] { return f.isFinished(); }, 30000))
            qFatal("the wallpaper was still being set after 30 s");
        return f.result();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        QVERIFY2(!QStandardPaths::findExecutable("gsettings").isEmpty(), "gsettings is missing (scripts/setup)");
        // A portal already on the bus would make these tests meaningless.
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.portal.Desktop"));
    }

    void gnomeSettingShowsEachNewPicture()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CURRENT_DESKTOP", "GNOME");
        // Link names taken for the next seconds, as two pictures set within one
        // millisecond (or another Glintwave's) would take them.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (qint64 t = now; t < now + 5000; ++t)
            QVERIFY(QFile(m_folder.filePath(QString("Glintwave-%1.bmp").arg(t))).open(QIODevice::WriteOnly));
        QString previous;
        for (const QColor colour : {QColor(200, 30, 40), QColor(20, 60, 220)}) {
            const DeskWallResult r = DeskWall(filled(colour), m_folder.path(), env);
            QVERIFY2(r.set, qPrintable(r.message));
            const QString uri = QUrl::fromLocalFile(r.shownPath).toString(QUrl::FullyEncoded);
            QCOMPARE(gsettingsGet("picture-uri"), "'" + uri + "'");
            QCOMPARE(gsettingsGet("picture-uri-dark"), "'" + uri + "'");
            // The file the desktop reads is the new picture, under a name it has
            // not seen, so it cannot show a cached one; the earlier one is gone.
            QCOMPARE(QImage(r.shownPath).pixelColor(5, 5), colour);
            QCOMPARE(QImage(r.path).pixelColor(5, 5), colour);
            QVERIFY(r.shownPath != previous && r.shownPath != r.path);
            if (!previous.isEmpty())
                QVERIFY(!QFileInfo::exists(previous));
            previous = r.shownPath;
        }
    }

    void portalSetsOrCancels()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "portal");
        QVERIFY(bus.isConnected());
        FakeWallpaperPortal portal(bus);
        QVERIFY(bus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        QVERIFY(bus.registerService("org.freedesktop.portal.Desktop"));
        DeskWallResult r = setInBackground(filled(Qt::green));
        QVERIFY2(r.set, qPrintable(r.message));
        QCOMPARE(portal.calls, 1);
        QCOMPARE(portal.uri, QUrl::fromLocalFile(r.shownPath).toString(QUrl::FullyEncoded));
        QCOMPARE(QImage(r.shownPath).pixelColor(3, 3), QColor(Qt::green));
        QCOMPARE(portal.options.value("show-preview").toBool(), false);
        QCOMPARE(portal.options.value("set-on").toString(), QStringLiteral("background"));

        // The user cancels in the desktop's dialog: the file stays, with a message.
        portal.responseCode = 1;
        r = setInBackground(filled(Qt::blue));
        bus.unregisterService("org.freedesktop.portal.Desktop");
        bus.unregisterObject("/org/freedesktop/portal/desktop");
        QDBusConnection::disconnectFromBus("portal");
        QVERIFY(r.written && !r.set);
        QVERIFY2(r.message.contains("portal") && r.message.contains("cancelled"), qPrintable(r.message));
        QCOMPARE(QImage(r.path).pixelColor(3, 3), QColor(Qt::blue));

        // No portal left on the bus: the user is told.
        r = setInBackground(filled(Qt::yellow));
        QVERIFY(r.written && !r.set);
        QVERIFY2(r.message.contains("cannot set the wallpaper"), qPrintable(r.message));
    }
};

QTEST_GUILESS_MAIN(TestWallpaperDBus)
#include "tst_effects_wallpaper_dbus.moc"
