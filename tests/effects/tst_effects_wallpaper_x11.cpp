// The wallpaper on a plain X server: the root window really shows the
// picture, and a second picture replaces the first.
#include "effects/ui/DeskWall.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

class TestWallpaperX11 : public QObject {
    Q_OBJECT
private slots:
    void rootWindowShowsEachNewPicture()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        if (QStandardPaths::findExecutable("feh").isEmpty())
            QSKIP("feh is not installed");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "WAYLAND_DISPLAY", "SWAYSOCK"})
            env.remove(v);
        QTemporaryDir folder;
        QScreen *screen = QGuiApplication::primaryScreen();
        const QPoint middle = screen->geometry().center();
        for (const QColor colour : {QColor(200, 30, 40), QColor(20, 60, 220)}) {
            QImage picture = testpictures::solid(64, 48, colour);
            const DeskWallResult r = DeskWall(picture, folder.path(), env);
            QVERIFY2(r.set, qPrintable(r.message));
            QCOMPARE(r.shownPath, folder.filePath("Glintwave.bmp"));
            const QImage root = screen->grabWindow(0).toImage();
            QCOMPARE(root.pixelColor(middle), colour);
        }
    }
};

QTEST_MAIN(TestWallpaperX11)
#include "tst_effects_wallpaper_x11.moc"
