// The wallpaper through GNOME's own setting: gsettings over dconf on a
// private session bus (dbus-run-session), read back as the desktop would.
#include "effects/ui/DeskWall.h"

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "TestPictures.h"

namespace {
QString gsettingsGet(const QString &key)
{
    QProcess p;
    p.start("gsettings", {"get", "org.gnome.desktop.background", key});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
} // namespace

class TestWallpaperDBus : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder{QDir::tempPath() + "/gw wall-XXXXXX"};   // a blank, which the URI must encode

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        QVERIFY2(!QStandardPaths::findExecutable("gsettings").isEmpty(), "gsettings is missing (scripts/setup)");
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
            const DeskWallResult r = DeskWall(testpictures::solid(40, 30, colour), m_folder.path(), env);
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
};

QTEST_GUILESS_MAIN(TestWallpaperDBus)
#include "tst_effects_wallpaper_dbus.moc"
